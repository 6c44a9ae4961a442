#include "conversao.h"

#include "base/erro.h"

#include <cmath>
#include <locale>
#include <sstream>
#include <string>
#include <limits>
#include <optional>

namespace vantora {
namespace {

bool ehBranco(char c) { return c == ' ' || c == '\t'; }
bool ehDigito(char c) { return c >= '0' && c <= '9'; }
char maiuscula(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

int valorDigito(char u, int base) {
    int v = -1;
    if (u >= '0' && u <= '9')
        v = u - '0';
    else if (u >= 'a' && u <= 'f')
        v = u - 'a' + 10;
    else if (u >= 'A' && u <= 'F')
        v = u - 'A' + 10;
    return v < base ? v : -1;
}

// "&H1F" / "&O17": up to 16 bits the value wraps into a signed 16-bit number, up to
// 32 bits into a signed 32-bit one, as integer literals of those sizes do.
// Sets *fim to the number of characters used; nullopt when the form is absent.
std::optional<double> literalBase(std::string_view t, std::size_t* fim) {
    if (t.size() < 3 || t[0] != '&')
        return std::nullopt;
    const char f = maiuscula(t[1]);
    const int base = f == 'H' ? 16 : (f == 'O' ? 8 : 0);
    if (base == 0)
        return std::nullopt;
    std::size_t i = 2;
    std::uint64_t v = 0;
    int bits = 0;
    while (i < t.size() && valorDigito(t[i], base) >= 0) {
        v = v * base + valorDigito(t[i], base);
        if (v > 0xFFFFFFFFull) { // too long: overflow, once the digits are counted
            while (i < t.size() && valorDigito(t[i], base) >= 0)
                ++i;
            *fim = i;
            return std::numeric_limits<double>::infinity();
        }
        ++i;
    }
    if (i == 2)
        return std::nullopt;
    *fim = i;
    bits = v <= 0xFFFF ? 16 : 32;
    if (bits == 16)
        return static_cast<double>(static_cast<std::int16_t>(static_cast<std::uint16_t>(v)));
    return static_cast<double>(static_cast<std::int32_t>(static_cast<std::uint32_t>(v)));
}

// Longest leading decimal number of t: sign, digits, fraction, exponent.
// Returns the number of characters used (0 when there is no digit).
std::size_t prefixoDecimal(std::string_view t) {
    std::size_t i = 0;
    if (i < t.size() && (t[i] == '+' || t[i] == '-'))
        ++i;
    std::size_t digitos = 0;
    while (i < t.size() && ehDigito(t[i])) {
        ++i;
        ++digitos;
    }
    if (i < t.size() && t[i] == '.') {
        std::size_t j = i + 1;
        std::size_t frac = 0;
        while (j < t.size() && ehDigito(t[j])) {
            ++j;
            ++frac;
        }
        if (digitos + frac > 0) {
            i = j;
            digitos += frac;
        }
    }
    if (digitos == 0)
        return 0;
    if (i < t.size()) {
        const char e = maiuscula(t[i]);
        if (e == 'E' || e == 'D') {
            std::size_t j = i + 1;
            if (j < t.size() && (t[j] == '+' || t[j] == '-'))
                ++j;
            const std::size_t inicioExp = j;
            while (j < t.size() && ehDigito(t[j]))
                ++j;
            if (j > inicioExp)
                i = j;
        }
    }
    return i;
}

double converteDecimal(std::string_view t) {
    std::string s(t);
    for (char& c : s)
        if (c == 'd' || c == 'D') c = 'e';
    if (s[0] == '.' || ((s[0] == '-' || s[0] == '+') && s.size() > 1 && s[1] == '.'))
        s.insert(s.find('.'), 1, '0');
    if (s.back() == '.')
        s.pop_back();
    // the C locale's reading, whatever the user's decimal separator
    std::istringstream leitura(s);
    leitura.imbue(std::locale::classic());
    double v = 0.0;
    leitura >> v;
    if (leitura.fail() || !std::isfinite(v)) { // out-of-range exponents: too small is 0, too big overflows
        const std::size_t e = s.find_first_of("eE");
        if (e != std::string::npos && e + 1 < s.size() && s[e + 1] == '-')
            return 0.0;
        return std::numeric_limits<double>::infinity();
    }
    return v;
}

} // namespace

std::int16_t arredonda_inteiro(double valor) {
    if (!std::isfinite(valor))
        throw ErroExecucao(ERRO_ESTOURO);
    double inteiro = std::floor(valor);
    const double resto = valor - inteiro;
    if (resto > 0.5 || (resto == 0.5 && std::fmod(inteiro, 2.0) != 0.0))
        inteiro += 1.0;
    if (inteiro < -32768.0 || inteiro > 32767.0)
        throw ErroExecucao(ERRO_ESTOURO);
    return static_cast<std::int16_t>(inteiro);
}

// The common case, a plain whole number ("-12", "65"), without building a double.
static bool inteiroSimples(std::string_view t, std::int16_t* valor) {
    std::size_t i = 0;
    const bool negativo = !t.empty() && t[0] == '-';
    if (negativo || (!t.empty() && t[0] == '+'))
        ++i;
    if (i == t.size() || t.size() - i > 6)
        return false;
    long v = 0;
    for (; i < t.size(); ++i) {
        const char u = t[i];
        if (u < '0' || u > '9')
            return false;
        v = v * 10 + (u - '0');
    }
    if (negativo)
        v = -v;
    if (v < -32768 || v > 32767)
        throw ErroExecucao(ERRO_ESTOURO);
    *valor = static_cast<std::int16_t>(v);
    return true;
}

std::int16_t converte_inteiro(std::string_view texto) {
    std::size_t a = 0;
    std::size_t b = texto.size();
    while (a < b && ehBranco(texto[a]))
        ++a;
    while (b > a && ehBranco(texto[b - 1]))
        --b;
    const std::string_view t = texto.substr(a, b - a);
    if (t.empty())
        throw ErroExecucao(ERRO_TIPOS);
    std::int16_t simples = 0;
    if (inteiroSimples(t, &simples))
        return simples;
    std::size_t fim = 0;
    if (const auto lit = literalBase(t, &fim)) {
        if (fim != t.size())
            throw ErroExecucao(ERRO_TIPOS);
        return arredonda_inteiro(*lit);
    }
    if (prefixoDecimal(t) != t.size())
        throw ErroExecucao(ERRO_TIPOS);
    return arredonda_inteiro(converteDecimal(t));
}

double valor_inicial(std::string_view texto) {
    std::string t;
    t.reserve(texto.size());
    for (const char c : texto) {
        if (!ehBranco(c) && c != '\n' && c != '\r')
            t += c;
    }
    std::size_t fim = 0;
    if (const auto lit = literalBase(t, &fim))
        return *lit;
    const std::size_t n = prefixoDecimal(t);
    if (n == 0)
        return 0.0;
    return converteDecimal(std::string_view(t).substr(0, n));
}

std::int16_t converte_numero_inicial(std::string_view texto) {
    std::int16_t simples = 0;
    if (inteiroSimples(texto, &simples))
        return simples;
    return arredonda_inteiro(valor_inicial(texto));
}

} // namespace vantora
