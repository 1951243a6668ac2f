#include "platform/host/input_recorder.h"

#include <cerrno>
#include <cstring>

namespace host {

bool InputRecorder::open(const std::string& path, bool append, unsigned seed, std::string& error) {
    close();
    if (!append) {
        pendingPath_ = path;
        seed_ = seed;
        return true;
    }
    // "e": the relaunched successor opens the file itself, so it must not inherit this stream.
    file_ = std::fopen(path.c_str(), "ae");
    if (!file_) {
        error = "cannot record input to " + path + " (" + std::strerror(errno) + ")";
        return false;
    }
    return true;
}

bool InputRecorder::start() {
    if (pendingPath_.empty()) return file_ != nullptr;
    std::string path = std::move(pendingPath_);
    pendingPath_.clear();
    file_ = std::fopen(path.c_str(), "we");
    if (!file_) {
        std::fprintf(stderr, "karrowen: cannot record input to %s (%s)\n", path.c_str(), std::strerror(errno));
        return false;
    }
    std::fprintf(file_, "# Input recorded by karrowen; play it again with\n");
    std::fprintf(file_, "#   karrowen --seed=%u --input=%s\n", seed_, path.c_str());
    std::fflush(file_);
    return true;
}

void InputRecorder::close() {
    if (file_) std::fclose(file_);
    file_ = nullptr;
    pendingPath_.clear();
}

void InputRecorder::record(const ScriptEvent& event) {
    if (!start()) return;
    std::fprintf(file_, "%s\n", FormatScriptEvent(event).c_str());
    std::fflush(file_);
}

}  // namespace host
