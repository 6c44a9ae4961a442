#pragma once
// For the plain C++ tests of the Qt-free core (no Qt, so that they build with
// Emscripten too): CONFERE(a, b) compares, and on a difference says where, what and
// both values, and the test goes on; main returns falhas() != 0. erro_de(f) is the
// error number f raises, 0 for none.
#include "base/erro.h"

#include <iostream>
#include <string>
#include <type_traits>

namespace vantora::teste {

inline int falhas = 0;
inline std::string caso; // said with each failure: which row of a table

template <class T> void mostra(std::ostream& o, const T& v) {
    if constexpr (std::is_convertible_v<T, std::string>) {
        o << '"' << std::string(v) << '"';
    } else if constexpr (std::is_enum_v<T>) {
        o << static_cast<long long>(v);
    } else if constexpr (std::is_arithmetic_v<T>) {
        o << v;
    } else { // a container
        o << '{';
        const char* sep = "";
        for (const auto& x : v) {
            o << sep;
            mostra(o, x);
            sep = ", ";
        }
        o << '}';
    }
}

template <class A, class B>
void confere(const A& a, const B& b, const char* ea, const char* eb, const char* arquivo, int linha) {
    if (a == b) return;
    ++falhas;
    std::cerr << arquivo << ':' << linha << ": " << (caso.empty() ? "" : caso + ": ") << ea << " != " << eb
              << "\n  ";
    mostra(std::cerr, a);
    std::cerr << "\n  ";
    mostra(std::cerr, b);
    std::cerr << '\n';
}

template <class F> int erro_de(F f) {
    try {
        f();
    } catch (const ErroExecucao& e) {
        return e.numero();
    }
    return 0;
}

} // namespace vantora::teste

#define CONFERE(a, b) ::vantora::teste::confere((a), (b), #a, #b, __FILE__, __LINE__)
