# cmake -DIN=... -DOUT=... -DPROJECT_VERSION=... -P configure_file.cmake:
# fills @PROJECT_VERSION@ in one resource file, as the native build does.
configure_file(${IN} ${OUT} @ONLY)
