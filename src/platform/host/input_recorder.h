#pragma once
// --record=FILE: the input that reaches the program (keys, including those a
// game controller produced, the stylus, window activation and closing) is
// written as an input script on the program's clock, so that
// `--seed=S --input=FILE` plays the same session again. The first process of
// a run starts the file; every relaunched one appends to it, and the clock
// carries on across the relaunch, so the file stays one script.

#include <cstdio>
#include <string>

#include "platform/host/input_script.h"

namespace host {

class InputRecorder {
public:
    ~InputRecorder() { close(); }

    // Starts (or, with `append`, continues) the recording; false with the reason.
    // A new recording creates its file only with the first event or when a
    // successor is about to append (`start`): a second copy that merely hands
    // its command line to a running one must not empty that run's file.
    bool open(const std::string& path, bool append, unsigned seed, std::string& error);
    void close();
    bool recording() const { return file_ != nullptr || !pendingPath_.empty(); }
    // Creates a pending new file now; false (told on stderr) when it cannot be.
    bool start();
    // Writes one event at once, so that a successor appending finds it there.
    void record(const ScriptEvent& event);

private:
    std::FILE* file_ = nullptr;
    std::string pendingPath_;
    unsigned seed_ = 0;
};

}  // namespace host
