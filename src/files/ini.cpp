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
            const QChar c = caractere_ansi(b);
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

std::uint64_t hash_nome(Trecho nome) {
    const auto& d = tabelas1252().dobrado;
    std::uint64_t h = FNV_BASE;
    for (qsizetype i = 0; i < nome.n; ++i)
        h = (h ^ d[nome[i]]) * FNV_PRIMO;
    return h;
}

std::uint64_t hash_nome(QStringView dobrado) {
    std::uint64_t h = FNV_BASE;
    for (const QChar c : dobrado)
        h = (h ^ c.unicode()) * FNV_PRIMO;
    return h;
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
        const int b = codigo_ansi(c);
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
                                          .arg(QDir::toNativeSeparators(caminho), motivo));
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
                    std::any_of(texto.begin(), texto.end(), [](QChar c) { return codigo_ansi(c) < 0; });
        break;
    }
    p.analisa();
    return p;
}

QString PerfilPrivado::motivo_recusa(const QByteArray& texto) {
    for (const Marca& m : MARCAS) {
        if (!texto.startsWith(QByteArrayView(m.bytes, m.tamanho))) continue;
        return QStringLiteral("o texto começaria com \"%1\", que o Windows lê como marca de %2, e não "
                              "seria lido como foi gravado; grave com outro nome")
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
    const QByteArray bytes = f.read(LIMITE_BYTES + 1);
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
    qsizetype i = 0;
    while (i < n) {
        qsizetype j = i;
        while (j < n && d[j] != '\n' && d[j] != '\r')
            ++j;
        linhas_.push_back({static_cast<std::uint32_t>(i), static_cast<std::uint32_t>(j)});
        if (j < n && d[j] == '\r' && j + 1 < n && d[j + 1] == '\n')
            i = j + 2;
        else
            i = j + 1;
    }

    for (std::size_t l = 0; l < linhas_.size(); ++l) {
        const Analise a =
            analisa_linha(Trecho{d + linhas_[l].inicio, qsizetype(linhas_[l].fim - linhas_[l].inicio)});
        if (a.tipo == Tipo::Cabecalho) {
            if (!secoes_.empty()) secoes_.back().fim = static_cast<std::uint32_t>(l);
            Secao s;
            s.cabecalho = s.insercao = static_cast<std::uint32_t>(l);
            secoes_.push_back(std::move(s));
            indice_secoes_.emplace_back(hash_nome(a.nome), static_cast<std::uint32_t>(secoes_.size() - 1));
        } else if (!secoes_.empty() && !a.branca) {
            secoes_.back().insercao = static_cast<std::uint32_t>(l);
        }
    }
    if (!secoes_.empty()) secoes_.back().fim = static_cast<std::uint32_t>(linhas_.size());
    qtd_originais_ = secoes_.size();
    std::sort(indice_secoes_.begin(), indice_secoes_.end());
}

std::pair<const char*, qsizetype> PerfilPrivado::conteudo(qsizetype linha) const {
    const auto s = substituidas_.find(static_cast<std::uint32_t>(linha));
    if (s != substituidas_.end()) return {s->second.constData(), s->second.size()};
    const Linha& l = linhas_[static_cast<std::size_t>(linha)];
    return {bytes_.constData() + l.inicio, qsizetype(l.fim - l.inicio)};
}

int PerfilPrivado::acha_secao(QStringView dobrado, std::uint64_t hash) const {
    auto it = std::lower_bound(indice_secoes_.begin(), indice_secoes_.end(),
                               std::make_pair(hash, std::uint32_t(0)));
    for (; it != indice_secoes_.end() && it->first == hash; ++it) {
        const Linha& l = linhas_[secoes_[it->second].cabecalho];
        const Analise a = analisa_linha(Trecho{bytes_.constData() + l.inicio, qsizetype(l.fim - l.inicio)});
        if (mesmo_nome(a.nome, dobrado)) return static_cast<int>(it->second);
    }
    return secoes_novas_.isEmpty() ? -1 : secoes_novas_.value(dobrado.toString(), -1);
}

void PerfilPrivado::indexa(const Secao& s) const {
    s.indexada = true;
    for (std::uint32_t l = s.cabecalho + 1; l < s.fim; ++l) {
        const auto [p, n] = conteudo(l);
        const Analise a = analisa_linha(Trecho{p, n});
        if (a.tipo == Tipo::Chave) s.indice.emplace_back(hash_nome(a.nome), l);
    }
    std::sort(s.indice.begin(), s.indice.end());
}

PerfilPrivado::Local PerfilPrivado::acha_chave(int secao, QStringView dobrado, std::uint64_t hash) const {
    Local r;
    r.secao = secao;
    const Secao& s = secoes_[static_cast<std::size_t>(secao)];
    if (static_cast<std::size_t>(secao) < qtd_originais_) {
        if (!s.indexada) indexa(s);
        auto it = std::lower_bound(s.indice.begin(), s.indice.end(), std::make_pair(hash, std::uint32_t(0)));
        for (; it != s.indice.end() && it->first == hash; ++it) {
            const auto [p, n] = conteudo(it->second);
            if (mesmo_nome(analisa_linha(Trecho{p, n}).nome, dobrado)) {
                r.linha = it->second;
                return r;
            }
        }
    }
    r.acrescimo = s.indice_acrescimos.isEmpty() ? -1 : s.indice_acrescimos.value(dobrado.toString(), -1);
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
            const QByteArray& a =
                secoes_[static_cast<std::size_t>(si)].acrescimos[static_cast<std::size_t>(l.acrescimo)];
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
        Secao s;
        s.nome_novo = codifica(apara_nome(uma_linha(secao)));
        const QString ds_escrito = dobra(decodifica(Trecho{s.nome_novo.constData(), s.nome_novo.size()}));
        secoes_.push_back(std::move(s));
        si = static_cast<int>(secoes_.size() - 1);
        if (!secoes_novas_.contains(ds_escrito)) secoes_novas_.insert(ds_escrito, si);
    }
    Secao& s = secoes_[static_cast<std::size_t>(si)];
    const Local l = acha_chave(si, dc, hash_nome(dc));
    const QByteArray v = codifica(uma_linha(valor));
    if (l.linha >= 0) {
        const auto [p, n] = conteudo(l.linha);
        substituidas_[static_cast<std::uint32_t>(l.linha)] = troca_valor(Trecho{p, n}, v);
    } else if (l.acrescimo >= 0) {
        QByteArray& a = s.acrescimos[static_cast<std::size_t>(l.acrescimo)];
        a = troca_valor(Trecho{a.constData(), a.size()}, v);
    } else {
        s.acrescimos.push_back(linha_nova);
        // Found again by the name as it reads back from the file ('?' for a character
        // the code page lacks), not as it was asked for.
        const QString dc_escrito = dobra(decodifica(Trecho{nome_escrito.constData(), nome_escrito.size()}));
        if (!s.indice_acrescimos.contains(dc_escrito))
            s.indice_acrescimos.insert(dc_escrito, qsizetype(s.acrescimos.size() - 1));
    }
}

std::vector<PerfilPrivado::LinhaNomeada> PerfilPrivado::linhas_nomeadas() const {
    std::vector<LinhaNomeada> r;
    QString secao;
    const char* d = bytes_.constData();
    for (std::size_t l = 0; l < linhas_.size(); ++l) {
        const Analise a =
            analisa_linha(Trecho{d + linhas_[l].inicio, qsizetype(linhas_[l].fim - linhas_[l].inicio)});
        if (a.tipo == Tipo::Cabecalho) {
            secao = decodifica(a.nome);
            r.push_back({int(l) + 1, true, secao, QString(), QString()});
        } else if (a.tipo == Tipo::Chave) {
            r.push_back({int(l) + 1, false, secao, decodifica(a.nome), decodifica(a.valor)});
        }
    }
    return r;
}

QByteArray PerfilPrivado::texto() const {
    QByteArray r;
    qsizetype extra = 0;
    for (const Secao& s : secoes_) {
        extra += s.nome_novo.size() + 4;
        for (const QByteArray& a : s.acrescimos)
            extra += a.size() + 2;
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
    std::size_t proxima = 0; // next original section whose added keys are due
    for (std::size_t l = 0; l < linhas_.size(); ++l) {
        const auto [p, n] = conteudo(static_cast<qsizetype>(l));
        r.append(p, n);
        const std::uint32_t fim_quebra =
            l + 1 < linhas_.size() ? linhas_[l + 1].inicio : static_cast<std::uint32_t>(bytes_.size());
        r.append(bytes_.constData() + linhas_[l].fim, fim_quebra - linhas_[l].fim);
        sem_fim = fim_quebra == linhas_[l].fim;
        while (proxima < qtd_originais_ && secoes_[proxima].insercao <= l) {
            for (const QByteArray& a : secoes_[proxima].acrescimos)
                nova_linha(a);
            ++proxima;
        }
    }
    for (std::size_t s = qtd_originais_; s < secoes_.size(); ++s) {
        nova_linha('[' + secoes_[s].nome_novo + ']');
        for (const QByteArray& a : secoes_[s].acrescimos)
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
