// A request to stop the whole program from outside its windows (Ctrl+C on a
// console), caught instead of ending the process. One file per system says
// what counts as one.
#pragma once

namespace sprite::winsys {

// From now on, a request to stop sets a flag instead of ending the process.
void CatchInterrupts();
// Whether a request to stop arrived since CatchInterrupts.
bool InterruptCaught();

}  // namespace sprite::winsys
