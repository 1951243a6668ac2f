#include "platform/host/input_recorder.h"

#include <cerrno>
#include <cstring>

namespace host {

bool InputRecorder::open(const std::string& path, bool append, unsigned seed, std::string& error) {
    close();
    file_ = std::fopen(path.c_str(), append ? "a" : "w");
    if (!file_) {
        error = "cannot record input to " + path + " (" + std::strerror(errno) + ")";
        return false;
    }
    if (!append) {
        std::fprintf(file_, "# Input recorded by karrowen; play it again with\n");
        std::fprintf(file_, "#   karrowen --seed=%u --input=%s\n", seed, path.c_str());
        std::fflush(file_);
    }
    return true;
}

void InputRecorder::close() {
    if (file_) std::fclose(file_);
    file_ = nullptr;
}

void InputRecorder::record(const ScriptEvent& event) {
    if (!file_) return;
    std::fprintf(file_, "%s\n", FormatScriptEvent(event).c_str());
    std::fflush(file_);
}

}  // namespace host
