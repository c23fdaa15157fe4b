#pragma once

#include <initializer_list>
#include <string>
#include <type_traits>

// Libraries opened at run time rather than linked: each user lists the
// functions it needs as a table of names and the pointers they go into,
// and is told why the table could not be filled, if it could not.

// One function of such a library: its name and the pointer it is bound to.
struct RuntimeSymbol {
    template <typename F>
        requires std::is_function_v<std::remove_pointer_t<F>>
    RuntimeSymbol(const char* symbolName, F& pointer) : name(symbolName), slot(&pointer), store(&storeAs<F>)
    {
    }

    const char* name;
    void* slot;
    void (*store)(void* slot, void* function);

private:
    template <typename F> static void storeAs(void* slot, void* function)
    {
        *static_cast<F*>(slot) = reinterpret_cast<F>(function);
    }
};

// A library's functions, and why they are incomplete: an empty error means
// every one is there.
template <typename Api> struct RuntimeApi {
    Api api{};
    std::string error;
};

// Opens the first of names (the library's sonames, preferred first) that
// loads, for good: libraries that keep threads and caches for the life of
// the process are never closed. nullptr when none loads; error, unless it
// already holds an earlier failure, then says why.
void* OpenRuntimeLibrary(std::initializer_list<const char*> names, std::string& error);

// Binds every symbol it can from library (none from nullptr); error, unless
// it already holds an earlier failure, names the first one missing. True
// when all are bound.
bool BindRuntimeSymbols(void* library, std::initializer_list<RuntimeSymbol> symbols, std::string& error);

// Both, for a table that comes from one library.
bool LoadRuntimeLibrary(std::initializer_list<const char*> names, std::initializer_list<RuntimeSymbol> symbols,
                        std::string& error);
