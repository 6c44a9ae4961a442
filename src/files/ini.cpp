#include "ini.h"

#include "base/pagina.h"
#include "base/erro.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStorageInfo>
#include <QStringDecoder>
#include <QVarLengthArray>
#include <algorithm>
#include <array>
#include <cstring>

namespace vantora {
namespace {

bool ehBranco(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}
bool ehBranco(QChar c) {
    return c.unicode() < 128 && ehBranco(static_cast<char>(c.unicode()));
}

// Byte -> character of the Windows-1252 code page, and the same folded for the
// case-blind comparison of names.
struct Tabelas1252 {
    std::array<char16_t, 256> caractere{};
    std::array<char16_t, 256> dobrado{};
    Tabelas1252() {
        for (int b = 0; b < 256; ++b) {
            const QChar c(static_cast<char16_t>(caractere_ansi(b)));
            caractere[b] = c.unicode();
            dobrado[b] = c.toCaseFolded().unicode();
        }
    }
};
const Tabelas1252& tabelas1252() {
    static const Tabelas1252 t;
    return t;
}

// A run of bytes of the file.
struct Trecho {
    const char* p = nullptr;
    qsizetype n = 0;
    [[nodiscard]] unsigned char operator[](qsizetype i) const { return static_cast<unsigned char>(p[i]); }
};

Trecho apara(Trecho t) {
    while (t.n > 0 && ehBranco(t.p[0])) {
        ++t.p;
        --t.n;
    }
    while (t.n > 0 && ehBranco(t.p[t.n - 1]))
        --t.n;
    return t;
}

// What a line is: blank or junk, a section header with its name, or a key line with
// its name and value.
enum class Tipo { Outra, Cabecalho, Chave };
struct Analise {
    Tipo tipo = Tipo::Outra;
    bool branca = true; // nothing but blanks
    Trecho nome;
    Trecho valor;
};

Analise analisa_linha(Trecho linha) {
    Analise a;
    const Trecho t = apara(linha);
    if (t.n == 0) return a;
    a.branca = false;
    if (t.p[0] == '[') {
        for (qsizetype i = t.n - 1; i > 0; --i) {
            if (t.p[i] == ']') {
                a.tipo = Tipo::Cabecalho;
                a.nome = apara(Trecho{t.p + 1, i - 1});
                return a;
            }
        }
    }
    const void* igual = std::memchr(t.p, '=', static_cast<std::size_t>(t.n));
    if (!igual) return a;
    const qsizetype k = static_cast<const char*>(igual) - t.p;
    a.tipo = Tipo::Chave;
    a.nome = apara(Trecho{t.p, k});
    a.valor = apara(Trecho{t.p + k + 1, t.n - k - 1});
    return a;
}

constexpr std::uint64_t FNV_BASE = 14695981039346656037ull;
constexpr std::uint64_t FNV_PRIMO = 1099511628211ull;

// Hashes of folded names, in 32 bits: 4 bytes beside each of millions of sections.
std::uint32_t dobra_hash(std::uint64_t h) {
    return static_cast<std::uint32_t>(h ^ (h >> 32));
}

std::uint32_t hash_nome(Trecho nome) {
    const auto& d = tabelas1252().dobrado;
    std::uint64_t h = FNV_BASE;
    for (qsizetype i = 0; i < nome.n; ++i)
        h = (h ^ d[nome[i]]) * FNV_PRIMO;
    return dobra_hash(h);
}

std::uint32_t hash_nome(QStringView dobrado) {
    std::uint64_t h = FNV_BASE;
    for (const QChar c : dobrado)
        h = (h ^ c.unicode()) * FNV_PRIMO;
    return dobra_hash(h);
}

bool mesmo_nome(Trecho a, Trecho b) {
    if (a.n != b.n) return false;
    const auto& d = tabelas1252().dobrado;
    for (qsizetype i = 0; i < a.n; ++i) {
        if (d[a[i]] != d[b[i]]) return false;
    }
    return true;
}

bool mesmo_nome(Trecho nome, QStringView dobrado) {
    if (nome.n != dobrado.size()) return false;
    const auto& d = tabelas1252().dobrado;
    for (qsizetype i = 0; i < nome.n; ++i) {
        if (d[nome[i]] != dobrado[i].unicode()) return false;
    }
    return true;
}

// A name as the caller gives it: without surrounding blanks, one line.
QString uma_linha(const QString& s) {
    QString r = s;
    r.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    return r;
}

QString apara_nome(const QString& s) {
    qsizetype a = 0;
    qsizetype b = s.size();
    while (a < b && ehBranco(s[a]))
        ++a;
    while (b > a && ehBranco(s[b - 1]))
        --b;
    return s.mid(a, b - a);
}

// The name as looked up: without surrounding blanks, one line, folded; one pass,
// on the stack for the short names of a layout.
using Dobrado = QVarLengthArray<QChar, 48>;
QStringView dobra(QStringView nome, Dobrado& r) {
    qsizetype a = 0;
    qsizetype b = nome.size();
    while (a < b && ehBranco(nome[a]))
        ++a;
    while (b > a && ehBranco(nome[b - 1]))
        --b;
    r.resize(b - a);
    QChar* d = r.data();
    for (qsizetype i = a; i < b; ++i) {
        const QChar c = nome[i];
        if (c.unicode() < 128) {
            const char16_t u = c.unicode();
            *d++ = QChar(u == '\r' || u == '\n' ? u' ' : (u >= 'A' && u <= 'Z' ? char16_t(u + 32) : u));
        } else {
            *d++ = c.toCaseFolded();
        }
    }
    return QStringView(r.data(), r.size());
}
QString dobra(QStringView nome) {
    Dobrado d;
    return dobra(nome, d).toString();
}

QByteArray codifica(const QString& s) {
    QByteArray r;
    r.reserve(s.size());
    for (const QChar c : s) {
        const int b = codigo_ansi(c.unicode());
        r.append(b >= 0 ? static_cast<char>(b) : '?');
    }
    return r;
}

QString decodifica(Trecho t) {
    const auto& c = tabelas1252().caractere;
    QString r(t.n, Qt::Uninitialized);
    QChar* d = r.data();
    for (qsizetype i = 0; i < t.n; ++i)
        d[i] = QChar(c[t[i]]);
    return r;
}

QString corta(QString s, int capacidade) {
    if (s.size() > capacidade - 1) s.truncate(std::max(capacidade - 1, 0));
    return s;
}

// The key line with its value replaced: everything up to the '=' and the blanks
// after it stays as it was.
QByteArray troca_valor(Trecho linha, const QByteArray& valor) {
    const char* igual =
        static_cast<const char*>(std::memchr(linha.p, '=', static_cast<std::size_t>(linha.n)));
    qsizetype k = igual ? (igual - linha.p) + 1 : linha.n;
    while (k < linha.n && (linha.p[k] == ' ' || linha.p[k] == '\t'))
        ++k;
    QByteArray r(linha.p, k);
    r += valor;
    return r;
}

ErroExecucao erro_gravacao(const QString& caminho, const QString& motivo) {
    return ErroExecucao(ERRO_ARQUIVO, QStringLiteral("Não foi possível gravar o arquivo %1: %2")
                                          .arg(QDir::toNativeSeparators(caminho), motivo)
                                          .toStdString());
}

// Why a write failed, in the user's words for the two failures a full disk or a
// file-size limit give.
QString motivo_gravacao(const QFileDevice& f) {
    const QString s = f.errorString();
    // Qt gives the system's text in its own words, translated when a translation of
    // Qt is loaded.
    const auto diz = [&s](const char* texto) {
        return s.contains(QLatin1String(texto), Qt::CaseInsensitive) ||
               s.contains(QCoreApplication::translate("QIODevice", texto), Qt::CaseInsensitive);
    };
    if (diz("No space left on device")) return QStringLiteral("sem espaço no dispositivo");
    if (diz("File too large")) return QStringLiteral("arquivo grande demais para o limite do sistema");
    return s.isEmpty() ? QStringLiteral("falha na gravação") : s;
}

// At most `maximo` bytes of an open file, in a buffer the size the file has: a read
// of `maximo` bytes at once would set the whole of it aside for the smallest file.
QByteArray le_ate(QFile& f, qint64 maximo) {
    QByteArray r;
    r.resize(qsizetype(std::clamp<qint64>(f.size() + 1, 1, maximo)));
    qsizetype lidos = 0;
    for (;;) {
        const qint64 n = f.read(r.data() + lidos, r.size() - lidos);
        if (n <= 0) break;
        lidos += qsizetype(n);
        if (lidos < r.size()) continue;
        if (r.size() >= maximo) break; // the file grew past the limit
        r.resize(qsizetype(std::min<qint64>(qint64(r.size()) * 2, maximo)));
    }
    r.truncate(lidos);
    return r;
}

enum class Leitura { Ok, Ausente, Falha };

// Reads the file whole, or says why not.
Leitura le_bytes(const QString& caminho, QByteArray& destino, QString& motivo) {
    const QFileInfo info(caminho);
    if (caminho.isEmpty() || (!info.exists() && !info.isSymLink())) return Leitura::Ausente;
    if (info.isDir()) {
        motivo = QStringLiteral("é uma pasta");
        return Leitura::Falha;
    }
    // Devices and pipes could block or never end.
    if (!info.isFile()) {
        motivo = info.exists() ? QStringLiteral("não é um arquivo comum")
                               : QStringLiteral("o atalho não leva a um arquivo");
        return Leitura::Falha;
    }
    if (info.size() > PerfilPrivado::LIMITE_BYTES) {
        motivo = QStringLiteral("o arquivo é grande demais para um layout");
        return Leitura::Falha;
    }
    QFile f(caminho);
    if (!f.open(QIODevice::ReadOnly)) {
        motivo = QStringLiteral("não foi possível lê-lo (%1)").arg(f.errorString());
        return Leitura::Falha;
    }
    destino = f.readAll(); // a regular file of known size: it ends
    if (destino.size() > PerfilPrivado::LIMITE_BYTES) {
        destino.clear();
        motivo = QStringLiteral("o arquivo é grande demais para um layout");
        return Leitura::Falha;
    }
    if (f.error() != QFileDevice::NoError) {
        destino.clear();
        motivo = QStringLiteral("não foi possível lê-lo (%1)").arg(f.errorString());
        return Leitura::Falha;
    }
    return Leitura::Ok;
}

// The byte-order marks Notepad writes, as the profile functions of Windows know them.
struct Marca {
    const char* bytes;
    qsizetype tamanho;
    PerfilPrivado::Codificacao codificacao;
    QStringConverter::Encoding decodificador;
};
constexpr std::array<Marca, 3> MARCAS = {
    Marca{"\xEF\xBB\xBF", 3, PerfilPrivado::Codificacao::Utf8Bom, QStringConverter::Utf8},
    Marca{"\xFF\xFE", 2, PerfilPrivado::Codificacao::Utf16LE, QStringConverter::Utf16LE},
    Marca{"\xFE\xFF", 2, PerfilPrivado::Codificacao::Utf16BE, QStringConverter::Utf16BE}};

} // namespace

QString PerfilPrivado::nome_codificacao(Codificacao c) {
    switch (c) {
    case Codificacao::Utf8Bom:
        return QStringLiteral("UTF-8 com BOM");
    case Codificacao::Utf16LE:
        return QStringLiteral("UTF-16 LE com BOM");
    case Codificacao::Utf16BE:
        return QStringLiteral("UTF-16 BE com BOM");
    case Codificacao::Ansi:
        break;
    }
    return QStringLiteral("Windows-1252");
}

PerfilPrivado PerfilPrivado::de_bytes(const QByteArray& bytes) {
    PerfilPrivado p;
    if (bytes.size() > LIMITE_BYTES) return p;
    // The text after a byte-order mark is decoded and held in Windows-1252 like any
    // other file.
    p.bytes_ = bytes;
    for (const Marca& m : MARCAS) {
        if (!bytes.startsWith(QByteArrayView(m.bytes, m.tamanho))) continue;
        QStringDecoder decodifica(m.decodificador, QStringConverter::Flag::Stateless);
        const QString texto = decodifica(QByteArrayView(bytes).sliced(m.tamanho));
        p.bytes_ = codifica(texto);
        p.codificacao_ = m.codificacao;
        // A character the code page lacks, or a byte sequence that is no text (read as
        // U+FFFD), would not come back on saving.
        p.perdas_ = decodifica.hasError() ||
                    std::any_of(texto.begin(), texto.end(), [](QChar c) { return codigo_ansi(c.unicode()) < 0; });
        break;
    }
    p.analisa();
    return p;
}

QString PerfilPrivado::motivo_recusa(const QByteArray& texto) {
    for (const Marca& m : MARCAS) {
        if (!texto.startsWith(QByteArrayView(m.bytes, m.tamanho))) continue;
        return QStringLiteral("o texto começaria com \"%1\", que o Windows lê como marca de %2, e não "
                              "seria lido como foi gravado; apague esses caracteres do início do arquivo num editor de texto")
            .arg(decodifica(Trecho{m.bytes, m.tamanho}),
                 nome_codificacao(m.codificacao).remove(QStringLiteral(" com BOM")));
    }
    return QString();
}

PerfilPrivado PerfilPrivado::le_arquivo(const QString& caminho, QString* motivo) {
    const auto falha = [motivo](const QString& texto) {
        if (motivo) *motivo = texto;
        return PerfilPrivado();
    };
    const QFileInfo info(caminho);
    if (!info.exists()) return falha(QStringLiteral("arquivo não encontrado"));
    if (info.isDir()) return falha(QStringLiteral("é uma pasta, não um arquivo"));
    if (!info.isFile())
        return falha(QStringLiteral("não é um arquivo comum")); // devices and pipes may never end
    if (info.size() > LIMITE_BYTES) {
        // In bytes where the whole megabytes would read as the limit itself.
        const qint64 mb = info.size() / (1024 * 1024), limite = LIMITE_BYTES / (1024 * 1024);
        return falha(QStringLiteral("arquivo grande demais para um layout (%1; o limite é %2 MB)")
                         .arg(mb > limite ? QStringLiteral("%1 MB").arg(mb)
                                          : QStringLiteral("%1 bytes").arg(info.size()))
                         .arg(limite));
    }
    if (!info.isReadable()) return falha(QStringLiteral("sem permissão para ler o arquivo"));
    QFile f(caminho);
    if (!f.open(QIODevice::ReadOnly))
        return falha(QStringLiteral("não foi possível ler o arquivo (%1)").arg(f.errorString()));
    const QByteArray bytes = le_ate(f, LIMITE_BYTES + 1);
    if (f.error() != QFileDevice::NoError)
        return falha(QStringLiteral("não foi possível ler o arquivo (%1)").arg(f.errorString()));
    if (bytes.size() > LIMITE_BYTES) return falha(QStringLiteral("arquivo grande demais para um layout"));
    return de_bytes(bytes);
}

PerfilPrivado PerfilPrivado::le_para_gravar(const QString& caminho) {
    QByteArray bytes;
    QString motivo;
    if (le_bytes(caminho, bytes, motivo) == Leitura::Falha) throw erro_gravacao(caminho, motivo);
    return de_bytes(bytes);
}

void PerfilPrivado::analisa() {
    const char* d = bytes_.constData();
    const qsizetype n = bytes_.size();
    // The lines counted first, so that their starts take no more room than they need.
    const auto proxima = [d, n](qsizetype i) {
        while (i < n && d[i] != '\n' && d[i] != '\r')
            ++i;
        if (i < n && d[i] == '\r' && i + 1 < n && d[i + 1] == '\n') return i + 2;
        return i + 1;
    };
    std::size_t qtd = 0;
    std::size_t colchetes = 0; // lines that start with '[', the most headers there can be
    for (qsizetype i = 0; i < n; i = proxima(i)) {
        ++qtd;
        qsizetype k = i;
        while (k < n && (d[k] == ' ' || d[k] == '\t' || d[k] == '\v' || d[k] == '\f'))
            ++k;
        colchetes += k < n && d[k] == '[' ? 1 : 0;
    }
    inicios_.reserve(qtd + 1);
    for (qsizetype i = 0; i < n; i = proxima(i))
        inicios_.push_back(static_cast<std::uint32_t>(i));
    inicios_.push_back(static_cast<std::uint32_t>(n));

    cabecalhos_.reserve(colchetes);
    for (std::size_t l = 0; l < qtd; ++l) {
        const auto [p, k] = original(l);
        const Analise a = analisa_linha(Trecho{p, k});
        if (a.tipo != Tipo::Cabecalho) continue;
        cabecalhos_.push_back(static_cast<std::uint32_t>(l));
        indexa_secao(static_cast<std::uint32_t>(cabecalhos_.size() - 1), hash_nome(a.nome));
    }
}

std::pair<const char*, qsizetype> PerfilPrivado::nome_secao(std::uint32_t secao) const {
    const auto [p, k] = original(cabecalhos_[secao]);
    const Trecho t = analisa_linha(Trecho{p, k}).nome;
    return {t.p, t.n};
}

void PerfilPrivado::indexa_secao(std::uint32_t secao, std::uint32_t hash) {
    if (2 * (qtd_nomes_ + 1) > tabela_secoes_.size()) {
        std::vector<std::pair<std::uint32_t, std::uint32_t>> velha(
            std::max<std::size_t>(16, 2 * tabela_secoes_.size()));
        velha.swap(tabela_secoes_);
        const std::size_t mascara = tabela_secoes_.size() - 1;
        for (const auto& v : velha) {
            if (v.second == 0) continue;
            std::size_t i = v.first & mascara;
            while (tabela_secoes_[i].second != 0)
                i = (i + 1) & mascara;
            tabela_secoes_[i] = v;
        }
    }
    const auto [p, k] = nome_secao(secao);
    const Trecho nome{p, k};
    const std::size_t mascara = tabela_secoes_.size() - 1;
    for (std::size_t i = hash & mascara;; i = (i + 1) & mascara) {
        auto& [h, s] = tabela_secoes_[i];
        if (s == 0) {
            tabela_secoes_[i] = {hash, secao + 1};
            ++qtd_nomes_;
            return;
        }
        if (h != hash) continue;
        const auto [pe, ke] = nome_secao(s - 1);
        if (mesmo_nome(Trecho{pe, ke}, nome)) return; // only the first of a name is ever found
    }
}

std::pair<const char*, qsizetype> PerfilPrivado::original(std::size_t linha) const {
    const char* d = bytes_.constData();
    const std::uint32_t inicio = inicios_[linha];
    std::uint32_t fim = inicios_[linha + 1];
    // A line holds no CR or LF: whatever of them ends it is its line break.
    if (fim > inicio && (d[fim - 1] == '\n' || d[fim - 1] == '\r')) {
        --fim;
        if (d[fim] == '\n' && fim > inicio && d[fim - 1] == '\r') --fim;
    }
    return {d + inicio, qsizetype(fim - inicio)};
}

std::pair<const char*, qsizetype> PerfilPrivado::conteudo(qsizetype linha) const {
    if (!substituidas_.empty()) {
        const auto s = substituidas_.find(static_cast<std::uint32_t>(linha));
        if (s != substituidas_.end()) return {s->second.constData(), s->second.size()};
    }
    return original(static_cast<std::size_t>(linha));
}

int PerfilPrivado::secao_da_linha(std::uint32_t linha) const {
    return int(std::upper_bound(cabecalhos_.begin(), cabecalhos_.end(), linha) - cabecalhos_.begin()) - 1;
}

std::uint32_t PerfilPrivado::fim_secao(std::uint32_t secao) const {
    return secao + 1 < cabecalhos_.size() ? cabecalhos_[secao + 1] : std::uint32_t(qtd_linhas());
}

std::uint32_t PerfilPrivado::insercao(std::uint32_t secao) const {
    std::uint32_t l = fim_secao(secao) - 1;
    for (; l > cabecalhos_[secao]; --l) {
        const auto [p, k] = original(l);
        if (!analisa_linha(Trecho{p, k}).branca) break;
    }
    return l;
}

int PerfilPrivado::acha_secao(QStringView dobrado, std::uint32_t hash) const {
    if (!tabela_secoes_.empty()) {
        const std::size_t mascara = tabela_secoes_.size() - 1;
        for (std::size_t i = hash & mascara; tabela_secoes_[i].second != 0; i = (i + 1) & mascara) {
            const auto [h, secao] = tabela_secoes_[i];
            if (h != hash) continue;
            const auto [p, k] = nome_secao(secao - 1);
            if (mesmo_nome(Trecho{p, k}, dobrado)) return static_cast<int>(secao - 1);
        }
    }
    return indice_secoes_novas_.isEmpty() ? -1 : indice_secoes_novas_.value(dobrado.toString(), -1);
}

const PerfilPrivado::Indice& PerfilPrivado::indice_chaves(std::uint32_t secao) const {
    const auto achado = indices_chaves_.find(secao);
    if (achado != indices_chaves_.end()) return achado->second;
    Indice& indice = indices_chaves_[secao];
    indice.reserve(fim_secao(secao) - cabecalhos_[secao] - 1); // the most there can be
    for (std::uint32_t l = cabecalhos_[secao] + 1; l < fim_secao(secao); ++l) {
        const auto [p, n] = conteudo(l);
        const Analise a = analisa_linha(Trecho{p, n});
        if (a.tipo == Tipo::Chave) indice.emplace_back(hash_nome(a.nome), l);
    }
    std::sort(indice.begin(), indice.end());
    return indice;
}

PerfilPrivado::Acrescimos* PerfilPrivado::acrescimos(int secao) {
    if (static_cast<std::size_t>(secao) >= cabecalhos_.size())
        return &secoes_novas_[static_cast<std::size_t>(secao) - cabecalhos_.size()].chaves;
    const auto it = acrescimos_.find(static_cast<std::uint32_t>(secao));
    return it == acrescimos_.end() ? nullptr : &it->second;
}

const PerfilPrivado::Acrescimos* PerfilPrivado::acrescimos(int secao) const {
    return const_cast<PerfilPrivado*>(this)->acrescimos(secao);
}

PerfilPrivado::Local PerfilPrivado::acha_chave(int secao, QStringView dobrado, std::uint32_t hash) const {
    Local r;
    r.secao = secao;
    if (static_cast<std::size_t>(secao) < cabecalhos_.size()) {
        const Indice& indice = indice_chaves(static_cast<std::uint32_t>(secao));
        auto it = std::lower_bound(indice.begin(), indice.end(), std::make_pair(hash, std::uint32_t(0)));
        for (; it != indice.end() && it->first == hash; ++it) {
            const auto [p, n] = conteudo(it->second);
            if (mesmo_nome(analisa_linha(Trecho{p, n}).nome, dobrado)) {
                r.linha = it->second;
                return r;
            }
        }
    }
    const Acrescimos* a = acrescimos(secao);
    r.acrescimo = !a || a->indice.isEmpty() ? -1 : a->indice.value(dobrado.toString(), -1);
    return r;
}

QString PerfilPrivado::le(const QString& secao, const QString& chave, const QString& padrao,
                          int capacidade) const {
    if (capacidade <= 0) return {};
    Dobrado bs;
    const QStringView ds = dobra(secao, bs);
    const int si = acha_secao(ds, hash_nome(ds));
    if (si >= 0) {
        Dobrado bc;
        const QStringView dc = dobra(chave, bc);
        const Local l = acha_chave(si, dc, hash_nome(dc));
        Trecho linha;
        if (l.linha >= 0) {
            const auto [p, n] = conteudo(l.linha);
            linha = Trecho{p, n};
        } else if (l.acrescimo >= 0) {
            const QByteArray& a = acrescimos(si)->linhas[static_cast<std::size_t>(l.acrescimo)];
            linha = Trecho{a.constData(), a.size()};
        }
        if (linha.p) {
            Trecho v = analisa_linha(linha).valor;
            // One pair of matching quotes around the value is no part of it.
            if (v.n >= 2 && (v.p[0] == '"' || v.p[0] == '\'') && v.p[v.n - 1] == v.p[0])
                v = Trecho{v.p + 1, v.n - 2};
            if (v.n > capacidade - 1) v.n = capacidade - 1;
            return decodifica(v);
        }
    }
    QString d = padrao;
    while (!d.isEmpty() && ehBranco(d.back()))
        d.chop(1);
    return corta(d, capacidade);
}

void PerfilPrivado::grava(const QString& secao, const QString& chave, const QString& valor) {
    const QString ds = dobra(secao);
    const QString dc = dobra(chave);
    // A key line must read back as that key: no '=' in its name, and no '[' to
    // start it, which would make it a section header.
    if (dc.contains(QLatin1Char('=')) || dc.startsWith(QLatin1Char('[')))
        throw ErroExecucao(ERRO_CHAMADA_INVALIDA);
    const QByteArray nome_escrito = codifica(apara_nome(uma_linha(chave)));
    const QByteArray linha_nova = nome_escrito + '=' + codifica(uma_linha(valor));

    int si = acha_secao(ds, hash_nome(ds));
    if (si < 0) {
        SecaoNova s;
        s.nome = codifica(apara_nome(uma_linha(secao)));
        const QString ds_escrito = dobra(decodifica(Trecho{s.nome.constData(), s.nome.size()}));
        secoes_novas_.push_back(std::move(s));
        si = static_cast<int>(cabecalhos_.size() + secoes_novas_.size() - 1);
        if (!indice_secoes_novas_.contains(ds_escrito)) indice_secoes_novas_.insert(ds_escrito, si);
    }
    const Local l = acha_chave(si, dc, hash_nome(dc));
    const QByteArray v = codifica(uma_linha(valor));
    if (l.linha >= 0) {
        const auto [p, n] = conteudo(l.linha);
        substituidas_[static_cast<std::uint32_t>(l.linha)] = troca_valor(Trecho{p, n}, v);
    } else if (l.acrescimo >= 0) {
        QByteArray& a = acrescimos(si)->linhas[static_cast<std::size_t>(l.acrescimo)];
        a = troca_valor(Trecho{a.constData(), a.size()}, v);
    } else {
        Acrescimos& s = static_cast<std::size_t>(si) < cabecalhos_.size()
                            ? acrescimos_[static_cast<std::uint32_t>(si)]
                            : *acrescimos(si);
        s.linhas.push_back(linha_nova);
        // Found again by the name as it reads back from the file ('?' for a character
        // the code page lacks), not as it was asked for.
        const QString dc_escrito = dobra(decodifica(Trecho{nome_escrito.constData(), nome_escrito.size()}));
        if (!s.indice.contains(dc_escrito)) s.indice.insert(dc_escrito, qsizetype(s.linhas.size() - 1));
    }
}

void PerfilPrivado::percorre_linhas_nomeadas(const std::function<void(const LinhaNomeada&)>& visita) const {
    LinhaNomeada r;
    for (std::size_t l = 0; l < qtd_linhas(); ++l) {
        const auto [p, n] = original(l);
        const Analise a = analisa_linha(Trecho{p, n});
        if (a.tipo == Tipo::Outra) continue;
        r.numero = int(l) + 1;
        r.cabecalho = a.tipo == Tipo::Cabecalho;
        if (r.cabecalho) {
            r.secao = decodifica(a.nome);
            r.chave.clear();
            r.valor.clear();
        } else {
            r.chave = decodifica(a.nome);
            r.valor = decodifica(a.valor);
        }
        visita(r);
    }
}

PerfilPrivado::LinhaNomeada PerfilPrivado::linha_nomeada(int numero) const {
    LinhaNomeada r;
    if (numero < 1 || std::size_t(numero) > qtd_linhas()) return r;
    const auto l = static_cast<std::uint32_t>(numero - 1);
    const auto [p, n] = original(l);
    const Analise a = analisa_linha(Trecho{p, n});
    if (a.tipo == Tipo::Outra) return r;
    r.numero = numero;
    r.cabecalho = a.tipo == Tipo::Cabecalho;
    if (r.cabecalho) {
        r.secao = decodifica(a.nome);
        return r;
    }
    r.chave = decodifica(a.nome);
    r.valor = decodifica(a.valor);
    if (const int s = secao_da_linha(l); s >= 0) {
        const auto [ps, ns] = original(cabecalhos_[static_cast<std::size_t>(s)]);
        r.secao = decodifica(analisa_linha(Trecho{ps, ns}).nome);
    }
    return r;
}

QByteArray PerfilPrivado::texto() const {
    QByteArray r;
    qsizetype extra = 0;
    const auto conta = [&extra](const Acrescimos& a) {
        for (const QByteArray& l : a.linhas)
            extra += l.size() + 2;
    };
    for (const auto& [s, a] : acrescimos_)
        conta(a);
    for (const SecaoNova& s : secoes_novas_) {
        extra += s.nome.size() + 4;
        conta(s.chaves);
    }
    for (const auto& [l, t] : substituidas_)
        extra += t.size();
    r.reserve(bytes_.size() + extra);

    bool sem_fim = false; // the last line written has no line break yet
    auto nova_linha = [&](const QByteArray& linha) {
        if (sem_fim) r += "\r\n";
        r += linha;
        r += "\r\n";
        sem_fim = false;
    };
    // The original sections with added keys, in file order, each with its line.
    std::vector<std::pair<std::uint32_t, const Acrescimos*>> devidos;
    devidos.reserve(acrescimos_.size());
    for (const auto& [s, a] : acrescimos_)
        devidos.emplace_back(insercao(s), &a);
    auto proximo = devidos.cbegin();
    for (std::size_t l = 0; l < qtd_linhas(); ++l) {
        const auto [p, n] = conteudo(static_cast<qsizetype>(l));
        r.append(p, n);
        const auto [po, no] = original(l);
        const char* fim_quebra = bytes_.constData() + inicios_[l + 1];
        r.append(po + no, fim_quebra - (po + no));
        sem_fim = fim_quebra == po + no;
        for (; proximo != devidos.cend() && proximo->first <= l; ++proximo)
            for (const QByteArray& a : proximo->second->linhas)
                nova_linha(a);
    }
    for (const SecaoNova& s : secoes_novas_) {
        nova_linha('[' + s.nome + ']');
        for (const QByteArray& a : s.chaves.linhas)
            nova_linha(a);
    }
    return r;
}

void PerfilPrivado::salva(const QString& caminho) const {
    if (perdas_)
        throw erro_gravacao(
            caminho, QStringLiteral("o texto do arquivo (%1) tem caracteres que não existem em Windows-1252, "
                                    "a codificação em que os layouts são gravados; grave com outro nome")
                         .arg(nome_codificacao(codificacao_)));
    const QByteArray t = texto();
    if (const QString motivo = motivo_recusa(t); !motivo.isEmpty()) throw erro_gravacao(caminho, motivo);
    const QFileInfo info(caminho);
    if (info.isDir()) throw erro_gravacao(caminho, QStringLiteral("é uma pasta"));
    if (info.exists()) {
        if (!info.isFile()) throw erro_gravacao(caminho, QStringLiteral("não é um arquivo comum"));
        // A file nobody may write to is read-only, also for an administrator.
        const auto escrita = QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
        if (!info.isWritable() || !(info.permissions() & escrita))
            throw erro_gravacao(caminho, QStringLiteral("o arquivo é somente leitura"));
    } else if (!info.absoluteDir().exists()) {
        throw erro_gravacao(
            caminho,
            QStringLiteral("a pasta %1 não existe").arg(QDir::toNativeSeparators(info.absolutePath())));
    }
    QSaveFile f(caminho);
    // Unbuffered, so that a full disk or a size limit fails the write itself: a
    // buffered text would only meet the failure in commit(), too late for some Qt
    // versions, which still rename the short temporary file over the original.
    if (!f.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        // No temporary file can be made beside the original (a folder where we may
        // not create files): an existing writable file is rewritten in place, as the
        // key-by-key writes always did. Decided here, before a byte is written.
        if (!info.exists() || !info.isWritable()) throw erro_gravacao(caminho, f.errorString());
        // A disk too full to make the temporary file may be too full for the text:
        // writing in place would truncate the original first.
        const QStorageInfo disco(info.absolutePath());
        if (disco.isValid() && disco.bytesAvailable() < t.size())
            throw erro_gravacao(caminho, QStringLiteral("sem espaço no dispositivo"));
        f.setDirectWriteFallback(true);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            throw erro_gravacao(caminho, f.errorString());
    }
    qint64 escritos = 0;
    while (escritos < t.size()) {
        // A short write is followed by one more, which then says why it stopped.
        const qint64 n = f.write(t.constData() + escritos, t.size() - escritos);
        if (n <= 0) {
            const QString motivo = motivo_gravacao(f);
            f.cancelWriting();
            throw erro_gravacao(caminho, motivo);
        }
        escritos += n;
    }
    if (!f.commit()) throw erro_gravacao(caminho, motivo_gravacao(f));
}

} // namespace vantora
