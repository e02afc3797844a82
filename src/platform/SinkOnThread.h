#pragma once
// Engine callbacks for a window that runs the engine on a worker thread (the busy window): the
// sink's calls are handed over to the thread that installed it, which must run an event loop
// meanwhile (runWithBusyWindow does).

#include "engineclient/UnZip32.h"

namespace korvel {

// A dispatch for ScopedUnzipSink that runs each call on the calling thread of this function:
// at once when already there, otherwise queued to it and waited for.
SinkDispatch dispatchToThisThread();

} // namespace korvel
