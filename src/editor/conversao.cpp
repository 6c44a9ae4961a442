#include "conversao.h"

#include "base/erro.h"

#include <QLocale>
#include <cmath>
#include <limits>
#include <optional>

namespace vantora {
namespace {

bool ehBranco(QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t'); }

int valorDigito(QChar c, int base) {
    int v = -1;
    const char16_t u = c.unicode();
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
std::optional<double> literalBase(QStringView t, qsizetype* fim) {
    if (t.size() < 3 || t[0] != QLatin1Char('&'))
        return std::nullopt;
    const QChar f = t[1].toUpper();
    const int base = f == QLatin1Char('H') ? 16 : (f == QLatin1Char('O') ? 8 : 0);
    if (base == 0)
        return std::nullopt;
    qsizetype i = 2;
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
qsizetype prefixoDecimal(QStringView t) {
    qsizetype i = 0;
    if (i < t.size() && (t[i] == QLatin1Char('+') || t[i] == QLatin1Char('-')))
        ++i;
    qsizetype digitos = 0;
    while (i < t.size() && t[i].isDigit() && t[i].unicode() < 128) {
        ++i;
        ++digitos;
    }
    if (i < t.size() && t[i] == QLatin1Char('.')) {
        qsizetype j = i + 1;
        qsizetype frac = 0;
        while (j < t.size() && t[j].isDigit() && t[j].unicode() < 128) {
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
        const QChar e = t[i].toUpper();
        if (e == QLatin1Char('E') || e == QLatin1Char('D')) {
            qsizetype j = i + 1;
            if (j < t.size() && (t[j] == QLatin1Char('+') || t[j] == QLatin1Char('-')))
                ++j;
            const qsizetype inicioExp = j;
            while (j < t.size() && t[j].isDigit() && t[j].unicode() < 128)
                ++j;
            if (j > inicioExp)
                i = j;
        }
    }
    return i;
}

double converteDecimal(QStringView t) {
    QString s = t.toString();
    s.replace(QLatin1Char('d'), QLatin1Char('e')).replace(QLatin1Char('D'), QLatin1Char('e'));
    if (s.startsWith(QLatin1Char('.')) || s.startsWith(QLatin1String("-.")) || s.startsWith(QLatin1String("+.")))
        s.insert(s.indexOf(QLatin1Char('.')), QLatin1Char('0'));
    if (s.endsWith(QLatin1Char('.')))
        s.chop(1);
    bool ok = false;
    const double v = QLocale::c().toDouble(s, &ok);
    if (!ok) { // only out-of-range exponents get here: too small is 0, too big overflows
        const qsizetype e = s.indexOf(QLatin1Char('e'), 0, Qt::CaseInsensitive);
        if (e >= 0 && e + 1 < s.size() && s[e + 1] == QLatin1Char('-'))
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
static bool inteiroSimples(QStringView t, std::int16_t* valor) {
    qsizetype i = 0;
    const bool negativo = !t.isEmpty() && t[0] == QLatin1Char('-');
    if (negativo || (!t.isEmpty() && t[0] == QLatin1Char('+')))
        ++i;
    if (i == t.size() || t.size() - i > 6)
        return false;
    long v = 0;
    for (; i < t.size(); ++i) {
        const char16_t u = t[i].unicode();
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

std::int16_t converte_inteiro(QStringView texto) {
    qsizetype a = 0;
    qsizetype b = texto.size();
    while (a < b && ehBranco(texto[a]))
        ++a;
    while (b > a && ehBranco(texto[b - 1]))
        --b;
    const QStringView t = texto.mid(a, b - a);
    if (t.isEmpty())
        throw ErroExecucao(ERRO_TIPOS);
    std::int16_t simples = 0;
    if (inteiroSimples(t, &simples))
        return simples;
    qsizetype fim = 0;
    if (const auto lit = literalBase(t, &fim)) {
        if (fim != t.size())
            throw ErroExecucao(ERRO_TIPOS);
        return arredonda_inteiro(*lit);
    }
    if (prefixoDecimal(t) != t.size())
        throw ErroExecucao(ERRO_TIPOS);
    return arredonda_inteiro(converteDecimal(t));
}

double valor_inicial(QStringView texto) {
    QString t;
    t.reserve(texto.size());
    for (const QChar c : texto) {
        if (!ehBranco(c) && c != QLatin1Char('\n') && c != QLatin1Char('\r'))
            t.append(c);
    }
    qsizetype fim = 0;
    if (const auto lit = literalBase(t, &fim))
        return *lit;
    const qsizetype n = prefixoDecimal(t);
    if (n == 0)
        return 0.0;
    return converteDecimal(QStringView(t).left(n));
}

std::int16_t converte_numero_inicial(QStringView texto) {
    std::int16_t simples = 0;
    if (inteiroSimples(texto, &simples))
        return simples;
    return arredonda_inteiro(valor_inicial(texto));
}

} // namespace vantora
