#include "platform/loop_state.h"

#include "platform/platform_state.h"

LoopState& Loop() { return Platform().loop; }
void SetIdleHandler(IdleHandler* handler) { Loop().idleHandler = handler; }
IdleHandler* GetIdleHandler() { return Loop().idleHandler; }
