#include "platform/platform_services.h"

#include <pthread.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>

#include "platform/host/host.h"

int CheckFreeMemory(host::WindowHandle, float requiredMB) {
    float freeMB = float(double(host::AvailablePhysicalMemory()) * (1.0 / 1048576.0));
    if (freeMB >= requiredMB) return host::IDYES;
    return host::MessageBox(nullptr, MemoryWarningText(GetModuleFileNameOnly(), requiredMB, freeMB),
                            u"Memory Warning", host::MB_YESNO | host::MB_ICONEXCLAMATION);
}

std::u16string MemoryWarningText(const std::u16string& programName, float requiredMB, float freeMB) {
    char text[1024];
    std::snprintf(text, sizeof text,
                  "'%s' needs %.1fMB memory. Free memory is now %.1fMB.\n"
                  "System will adjust memory distribution to meet this requirement.\n"
                  "Ingore this warning and continue?",
                  host::ToUtf8(programName).c_str(), double(requiredMB), double(freeMB));
    return host::FromUtf8(text);
}

namespace {
size_t LastSeparator(const std::u16string& path) { return path.find_last_of(u"/\\"); }
}  // namespace

std::u16string FolderOfPath(const std::u16string& path) {
    size_t cut = LastSeparator(path);
    return cut == std::u16string::npos ? path : path.substr(0, cut + 1);
}

std::u16string FileNameOfPath(const std::u16string& path) {
    size_t cut = LastSeparator(path);
    return cut == std::u16string::npos ? path : path.substr(cut + 1);
}

std::u16string GetModuleFolder() { return FolderOfPath(host::ModulePath()); }
std::u16string GetModuleFileNameOnly() { return FileNameOfPath(host::ModulePath()); }

void ShowLastError() {
    host::MessageBox(nullptr, host::ErrorText(host::GetLastError()), u"Error", host::MB_OK | host::MB_ICONEXCLAMATION);
}

OsVersion GetOsVersion() {
    const host::DeviceProfile& p = host::Profile();
    return OsVersion{p.osMajor, p.osMinor, p.osBuild};
}

// The system answers into a buffer of 63 characters, terminator included.
std::u16string GetOemInfo() {
    std::u16string info = host::FromUtf8(host::Profile().oemInfo);
    if (info.size() > 62) info.resize(62);
    return info;
}

std::u16string GetSpecialFolder(int folderId) {
    const char* home = std::getenv("HOME");
    std::string path = home && *home ? home : "/tmp";
    if (folderId == 5) {
        const char* documents = std::getenv("XDG_DOCUMENTS_DIR");
        path = documents && *documents == '/' ? documents : path + "/Documents";
    }
    mkdir(path.c_str(), 0700);
    if (path.back() != '/') path += '/';
    return host::FromUtf8(path);
}

void ExitCurrentThread(int code) {
    pthread_exit(reinterpret_cast<void*>(intptr_t(code)));
}
