#pragma once
// The libraries the unzip engine loads at run time: each entry point looked up by name.

#include <dlfcn.h>

namespace korvel::engine {

// fn := the library's function called `name`; false when it has none.
template <typename F> bool bindSymbol(void* lib, const char* name, F& fn) {
    fn = reinterpret_cast<F>(dlsym(lib, name));
    return fn != nullptr;
}

} // namespace korvel::engine
