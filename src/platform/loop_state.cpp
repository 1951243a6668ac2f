#include "platform/loop_state.h"

namespace {
LoopState loopState;
}

LoopState& Loop() { return loopState; }
void ResetLoopState() { loopState = LoopState{}; }
void SetIdleHandler(IdleHandler* handler) { loopState.idleHandler = handler; }
IdleHandler* GetIdleHandler() { return loopState.idleHandler; }
