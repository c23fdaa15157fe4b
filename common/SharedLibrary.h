#pragma once

#include <dlfcn.h>
#include <string>

// Binds one function of a library opened with dlopen; notes the first
// missing one in error.
template <typename F> bool BindSymbol(void* library, const char* name, F& slot, std::string& error)
{
    slot = library ? reinterpret_cast<F>(dlsym(library, name)) : nullptr;
    if (!slot && error.empty())
        error = std::string("the library lacks ") + name;
    return slot != nullptr;
}

// Opens a library for good (libraries that keep threads and caches for the
// life of the process are never closed); nullptr with error set on failure.
inline void* OpenSharedLibrary(const char* name, std::string& error)
{
    void* library = dlopen(name, RTLD_NOW | RTLD_LOCAL);
    if (!library && error.empty()) {
        const char* why = dlerror();
        error = std::string("cannot load ") + name + ": " + (why ? why : "unknown error");
    }
    return library;
}

// Opens file and binds its functions into a library record (a struct with
// `api` and `error`): bind(library, api, error) names each one. The record's
// error says what failed, empty when every function is there.
template <typename Record, typename Bind> Record LoadSharedLibrary(const char* file, Bind&& bind)
{
    Record result;
    if (void* library = OpenSharedLibrary(file, result.error))
        bind(library, result.api, result.error);
    return result;
}
