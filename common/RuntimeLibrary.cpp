#include "common/RuntimeLibrary.h"

#include <dlfcn.h>

void* OpenRuntimeLibrary(std::initializer_list<const char*> names, std::string& error)
{
    std::string why;
    for (const char* name : names) {
        if (void* library = dlopen(name, RTLD_NOW | RTLD_LOCAL))
            return library;
        const char* reason = dlerror();
        why += std::string(why.empty() ? "" : "; ") + "cannot load " + name + ": " + (reason ? reason : "unknown error");
    }
    if (error.empty())
        error = why.empty() ? "no library named" : why;
    return nullptr;
}

bool BindRuntimeSymbols(void* library, std::initializer_list<RuntimeSymbol> symbols, std::string& error)
{
    bool complete = true;
    for (const RuntimeSymbol& symbol : symbols) {
        void* function = library ? dlsym(library, symbol.name) : nullptr;
        symbol.store(symbol.slot, function);
        if (!function && error.empty())
            error = std::string("the library lacks ") + symbol.name;
        complete = complete && function;
    }
    return complete;
}

bool LoadRuntimeLibrary(std::initializer_list<const char*> names, std::initializer_list<RuntimeSymbol> symbols,
                        std::string& error)
{
    void* library = OpenRuntimeLibrary(names, error);
    return library && BindRuntimeSymbols(library, symbols, error);
}
