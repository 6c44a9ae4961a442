#include "ini.h"

#include "base/erro.h"
#include "base/pagina.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace vantora {
namespace {

bool ehBranco(char32_t c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// A character as names are compared: the simple case folding of Unicode, for the
// characters of Windows-1252 and the few others that fold onto one of them.
char32_t dobra_caractere(char32_t c) {
    if (c < 0x80) return c >= 'A' && c <= 'Z' ? c + 32 : c;
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 32;
    switch (c) {
    case 0x0160: // Š
    case 0x0152: // Œ
    case 0x017D: // Ž
        return c + 1;
    case 0x0178: // Ÿ
        return 0xFF;
    case 0x00B5: // µ
    case 0x039C: // Greek capital mu
        return 0x03BC;
    case 0x212A: // Kelvin sign
        return 'k';
    case 0x212B: // Angstrom sign
        return 0xE5;
    case 0x017F: // long s
        return 's';
    case 0x1E9E: // capital sharp s
        return 0xDF;
    default:
        return c;
    }
}

// Byte -> character of the Windows-1252 code page, in UTF-8, and folded for the
// case-blind comparison of names.
struct Tabelas1252 {
    std::array<char32_t, 256> dobrado{};
    std::array<std::array<char, 4>, 256> utf8{}; // length, then the bytes
    Tabelas1252() {
        for (int b = 0; b < 256; ++b) {
            const char32_t c = caractere_ansi(b);
            dobrado[static_cast<std::size_t>(b)] = dobra_caractere(c);
            const std::string u = vantora::utf8(c);
            auto& d = utf8[static_cast<std::size_t>(b)];
            d[0] = static_cast<char>(u.size());
            std::copy(u.begin(), u.end(), d.begin() + 1);
        }
    }
};
const Tabelas1252& tabelas1252() {
    static const Tabelas1252 t;
    return t;
}

unsigned char byte(std::string_view t, std::size_t i) {
    return static_cast<unsigned char>(t[i]);
}

std::string_view apara(std::string_view t) {
    while (!t.empty() && ehBranco(static_cast<unsigned char>(t.front())))
        t.remove_prefix(1);
    while (!t.empty() && ehBranco(static_cast<unsigned char>(t.back())))
        t.remove_suffix(1);
    return t;
}

// What a line is: blank or junk, a section header with its name, or a key line with
// its name and value.
enum class Tipo { Outra, Cabecalho, Chave };
struct Analise {
    Tipo tipo = Tipo::Outra;
    bool branca = true; // nothing but blanks
    std::string_view nome;
    std::string_view valor;
};

Analise analisa_linha(std::string_view linha) {
    Analise a;
    const std::string_view t = apara(linha);
    if (t.empty()) return a;
    a.branca = false;
    if (t[0] == '[') {
        const std::size_t fecha = t.rfind(']');
        if (fecha != std::string_view::npos && fecha > 0) {
            a.tipo = Tipo::Cabecalho;
            a.nome = apara(t.substr(1, fecha - 1));
            return a;
        }
    }
    const std::size_t k = t.find('=');
    if (k == std::string_view::npos) return a;
    a.tipo = Tipo::Chave;
    a.nome = apara(t.substr(0, k));
    a.valor = apara(t.substr(k + 1));
    return a;
}

constexpr std::uint64_t FNV_BASE = 14695981039346656037ull;
constexpr std::uint64_t FNV_PRIMO = 1099511628211ull;

// Hashes of folded names, in 32 bits: 4 bytes beside each of millions of sections.
std::uint32_t dobra_hash(std::uint64_t h) {
    return static_cast<std::uint32_t>(h ^ (h >> 32));
}

std::uint32_t hash_nome(std::string_view nome) {
    const auto& d = tabelas1252().dobrado;
    std::uint64_t h = FNV_BASE;
    for (std::size_t i = 0; i < nome.size(); ++i)
        h = (h ^ d[byte(nome, i)]) * FNV_PRIMO;
    return dobra_hash(h);
}

std::uint32_t hash_nome(const std::u32string& dobrado) {
    std::uint64_t h = FNV_BASE;
    for (const char32_t c : dobrado)
        h = (h ^ c) * FNV_PRIMO;
    return dobra_hash(h);
}

bool mesmo_nome(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    const auto& d = tabelas1252().dobrado;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (d[byte(a, i)] != d[byte(b, i)]) return false;
    }
    return true;
}

bool mesmo_nome(std::string_view nome, const std::u32string& dobrado) {
    if (nome.size() != dobrado.size()) return false;
    const auto& d = tabelas1252().dobrado;
    for (std::size_t i = 0; i < nome.size(); ++i) {
        if (d[byte(nome, i)] != dobrado[i]) return false;
    }
    return true;
}

// The characters of UTF-8 text.
std::u32string caracteres(std::string_view texto) {
    std::u32string r;
    r.reserve(texto.size());
    for (std::size_t i = 0; i < texto.size();)
        r += proximo_utf8(texto, &i);
    return r;
}

// A name as the caller gives it, one line: without surrounding blanks, a line break
// as a blank.
std::u32string apara_nome(std::string_view nome) {
    // The blanks are ASCII: no byte of them is part of another character.
    std::u32string s = caracteres(apara(nome));
    std::replace_if(s.begin(), s.end(), [](char32_t c) { return c == '\r' || c == '\n'; }, U' ');
    return s;
}

// The name as looked up: without surrounding blanks, one line, folded.
std::u32string dobra_nome(std::string_view nome) {
    std::u32string s = apara_nome(nome);
    for (char32_t& c : s)
        c = dobra_caractere(c);
    return s;
}

// Text in Windows-1252, '?' for a character it lacks: two for one beyond U+FFFF, as
// the system's conversion from UTF-16 gives one for each half.
std::string codifica(const std::u32string& s) {
    std::string r;
    r.reserve(s.size());
    for (const char32_t c : s) {
        const int b = codigo_ansi(c);
        if (b >= 0)
            r += static_cast<char>(b);
        else
            r.append(c > 0xFFFF ? 2 : 1, '?');
    }
    return r;
}
std::string codifica(std::string_view utf8) {
    std::u32string s = caracteres(utf8);
    std::replace_if(s.begin(), s.end(), [](char32_t c) { return c == '\r' || c == '\n'; }, U' ');
    return codifica(s);
}

std::string decodifica(std::string_view t) {
    const auto& u = tabelas1252().utf8;
    std::string r;
    r.reserve(t.size());
    for (std::size_t i = 0; i < t.size(); ++i) {
        const auto& c = u[byte(t, i)];
        r.append(c.data() + 1, static_cast<std::size_t>(c[0]));
    }
    return r;
}

// The first `n` characters of UTF-8 text, or all of it.
std::string_view corta(std::string_view s, int n) {
    std::size_t i = 0;
    for (int k = 0; k < n && i < s.size(); ++k)
        (void)proximo_utf8(s, &i);
    return s.substr(0, i);
}

// The key line with its value replaced: everything up to the '=' and the blanks
// after it stays as it was.
std::string troca_valor(std::string_view linha, const std::string& valor) {
    const std::size_t igual = linha.find('=');
    std::size_t k = igual == std::string_view::npos ? linha.size() : igual + 1;
    while (k < linha.size() && (linha[k] == ' ' || linha[k] == '\t'))
        ++k;
    std::string r(linha.substr(0, k));
    r += valor;
    return r;
}

// UTF-16 text, as the system's decoder reads it: half of a pair alone, and a byte left
// over at the end of more than one, read as U+FFFD.
std::u32string de_utf16(std::string_view b, bool grande) {
    std::u32string r;
    r.reserve(b.size() / 2);
    const auto unidade = [&](std::size_t i) -> char32_t {
        return grande ? (char32_t(byte(b, i)) << 8) | byte(b, i + 1) : (char32_t(byte(b, i + 1)) << 8) | byte(b, i);
    };
    for (std::size_t i = 0; i + 1 < b.size(); i += 2) {
        const char32_t u = unidade(i);
        if (u >= 0xD800 && u <= 0xDBFF && i + 3 < b.size()) {
            const char32_t v = unidade(i + 2);
            if (v >= 0xDC00 && v <= 0xDFFF) {
                r += 0x10000 + ((u - 0xD800) << 10) + (v - 0xDC00);
                i += 2;
                continue;
            }
        }
        r += u >= 0xD800 && u <= 0xDFFF ? 0xFFFD : u;
    }
    if (b.size() % 2 != 0 && b.size() > 1) r += 0xFFFD;
    return r;
}

// The byte-order marks Notepad writes, as the profile functions of Windows know them.
struct Marca {
    std::string_view bytes;
    PerfilPrivado::Codificacao codificacao;
};
constexpr std::array<Marca, 3> MARCAS = {Marca{"\xEF\xBB\xBF", PerfilPrivado::Codificacao::Utf8Bom},
                                         Marca{"\xFF\xFE", PerfilPrivado::Codificacao::Utf16LE},
                                         Marca{"\xFE\xFF", PerfilPrivado::Codificacao::Utf16BE}};

bool comeca_com(std::string_view t, std::string_view inicio) {
    return t.substr(0, inicio.size()) == inicio;
}

} // namespace

std::string PerfilPrivado::nome_codificacao(Codificacao c) {
    switch (c) {
    case Codificacao::Utf8Bom:
        return "UTF-8 com BOM";
    case Codificacao::Utf16LE:
        return "UTF-16 LE com BOM";
    case Codificacao::Utf16BE:
        return "UTF-16 BE com BOM";
    case Codificacao::Ansi:
        break;
    }
    return "Windows-1252";
}

std::string PerfilPrivado::dobra(std::string_view nome) {
    std::string r;
    for (const char32_t c : dobra_nome(nome))
        acrescenta_utf8(r, c);
    return r;
}

PerfilPrivado PerfilPrivado::de_bytes(std::string bytes) {
    PerfilPrivado p;
    if (static_cast<std::int64_t>(bytes.size()) > LIMITE_BYTES) return p;
    for (const Marca& m : MARCAS) {
        if (!comeca_com(bytes, m.bytes)) continue;
        // The text after a byte-order mark is decoded and held in Windows-1252 like any
        // other file.
        const std::string_view resto = std::string_view(bytes).substr(m.bytes.size());
        std::u32string texto = m.codificacao == Codificacao::Utf8Bom
                                   ? caracteres(resto)
                                   : de_utf16(resto, m.codificacao == Codificacao::Utf16BE);
        // A second mark right after the first is no part of the text either.
        if (!texto.empty() && texto.front() == 0xFEFF) texto.erase(0, 1);
        p.bytes_ = codifica(texto);
        p.codificacao_ = m.codificacao;
        // A character the code page lacks, or a byte sequence that is no text (read as
        // U+FFFD), would not come back on saving.
        p.perdas_ = std::any_of(texto.begin(), texto.end(), [](char32_t c) { return codigo_ansi(c) < 0; });
        break;
    }
    if (p.codificacao_ == Codificacao::Ansi) p.bytes_ = std::move(bytes);
    p.analisa();
    return p;
}

std::string PerfilPrivado::motivo_recusa(std::string_view texto) {
    for (const Marca& m : MARCAS) {
        if (!comeca_com(texto, m.bytes)) continue;
        std::string nome = nome_codificacao(m.codificacao);
        nome.erase(nome.find(" com BOM"));
        return "o texto começaria com \"" + decodifica(m.bytes) + "\", que o Windows lê como marca de " + nome +
               ", e não seria lido como foi gravado; apague esses caracteres do início do arquivo num editor "
               "de texto";
    }
    return {};
}

std::string PerfilPrivado::motivo_recusa_gravacao(const std::string& texto) const {
    if (perdas_)
        return "o texto do arquivo (" + nome_codificacao(codificacao_) +
               ") tem caracteres que não existem em Windows-1252, a codificação em que os layouts são "
               "gravados; grave com outro nome";
    return motivo_recusa(texto);
}

void PerfilPrivado::analisa() {
    const char* d = bytes_.data();
    const std::size_t n = bytes_.size();
    // The lines counted first, so that their starts take no more room than they need.
    const auto proxima = [d, n](std::size_t i) {
        while (i < n && d[i] != '\n' && d[i] != '\r')
            ++i;
        if (i < n && d[i] == '\r' && i + 1 < n && d[i + 1] == '\n') return i + 2;
        return i + 1;
    };
    std::size_t qtd = 0;
    std::size_t colchetes = 0; // lines that start with '[', the most headers there can be
    for (std::size_t i = 0; i < n; i = proxima(i)) {
        ++qtd;
        std::size_t k = i;
        while (k < n && (d[k] == ' ' || d[k] == '\t' || d[k] == '\v' || d[k] == '\f'))
            ++k;
        colchetes += k < n && d[k] == '[' ? 1 : 0;
    }
    inicios_.reserve(qtd + 1);
    for (std::size_t i = 0; i < n; i = proxima(i))
        inicios_.push_back(static_cast<std::uint32_t>(i));
    inicios_.push_back(static_cast<std::uint32_t>(n));

    cabecalhos_.reserve(colchetes);
    for (std::size_t l = 0; l < qtd; ++l) {
        const Analise a = analisa_linha(original(l));
        if (a.tipo != Tipo::Cabecalho) continue;
        cabecalhos_.push_back(static_cast<std::uint32_t>(l));
        indexa_secao(static_cast<std::uint32_t>(cabecalhos_.size() - 1), hash_nome(a.nome));
    }
}

PerfilPrivado::Trecho PerfilPrivado::nome_secao(std::uint32_t secao) const {
    return analisa_linha(original(cabecalhos_[secao])).nome;
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
    const Trecho nome = nome_secao(secao);
    const std::size_t mascara = tabela_secoes_.size() - 1;
    for (std::size_t i = hash & mascara;; i = (i + 1) & mascara) {
        auto& [h, s] = tabela_secoes_[i];
        if (s == 0) {
            tabela_secoes_[i] = {hash, secao + 1};
            ++qtd_nomes_;
            return;
        }
        if (h != hash) continue;
        if (mesmo_nome(nome_secao(s - 1), nome)) return; // only the first of a name is ever found
    }
}

PerfilPrivado::Trecho PerfilPrivado::original(std::size_t linha) const {
    const char* d = bytes_.data();
    const std::uint32_t inicio = inicios_[linha];
    std::uint32_t fim = inicios_[linha + 1];
    // A line holds no CR or LF: whatever of them ends it is its line break.
    if (fim > inicio && (d[fim - 1] == '\n' || d[fim - 1] == '\r')) {
        --fim;
        if (d[fim] == '\n' && fim > inicio && d[fim - 1] == '\r') --fim;
    }
    return Trecho(d + inicio, fim - inicio);
}

PerfilPrivado::Trecho PerfilPrivado::conteudo(std::size_t linha) const {
    if (!substituidas_.empty()) {
        const auto s = substituidas_.find(static_cast<std::uint32_t>(linha));
        if (s != substituidas_.end()) return s->second;
    }
    return original(linha);
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
        if (!analisa_linha(original(l)).branca) break;
    }
    return l;
}

int PerfilPrivado::acha_secao(const Dobrado& dobrado, std::uint32_t hash) const {
    if (!tabela_secoes_.empty()) {
        const std::size_t mascara = tabela_secoes_.size() - 1;
        for (std::size_t i = hash & mascara; tabela_secoes_[i].second != 0; i = (i + 1) & mascara) {
            const auto [h, secao] = tabela_secoes_[i];
            if (h != hash) continue;
            if (mesmo_nome(nome_secao(secao - 1), dobrado)) return static_cast<int>(secao - 1);
        }
    }
    if (indice_secoes_novas_.empty()) return -1;
    const auto it = indice_secoes_novas_.find(dobrado);
    return it == indice_secoes_novas_.end() ? -1 : it->second;
}

const PerfilPrivado::Indice& PerfilPrivado::indice_chaves(std::uint32_t secao) const {
    const auto achado = indices_chaves_.find(secao);
    if (achado != indices_chaves_.end()) return achado->second;
    Indice& indice = indices_chaves_[secao];
    indice.reserve(fim_secao(secao) - cabecalhos_[secao] - 1); // the most there can be
    for (std::uint32_t l = cabecalhos_[secao] + 1; l < fim_secao(secao); ++l) {
        const Analise a = analisa_linha(conteudo(l));
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

PerfilPrivado::Local PerfilPrivado::acha_chave(int secao, const Dobrado& dobrado, std::uint32_t hash) const {
    Local r;
    r.secao = secao;
    if (static_cast<std::size_t>(secao) < cabecalhos_.size()) {
        const Indice& indice = indice_chaves(static_cast<std::uint32_t>(secao));
        auto it = std::lower_bound(indice.begin(), indice.end(), std::make_pair(hash, std::uint32_t(0)));
        for (; it != indice.end() && it->first == hash; ++it) {
            if (mesmo_nome(analisa_linha(conteudo(it->second)).nome, dobrado)) {
                r.linha = it->second;
                return r;
            }
        }
    }
    const Acrescimos* a = acrescimos(secao);
    if (a && !a->indice.empty()) {
        const auto it = a->indice.find(dobrado);
        if (it != a->indice.end()) r.acrescimo = static_cast<std::int64_t>(it->second);
    }
    return r;
}

std::string PerfilPrivado::le(std::string_view secao, std::string_view chave, std::string_view padrao,
                              int capacidade) const {
    if (capacidade <= 0) return {};
    const Dobrado ds = dobra_nome(secao);
    const int si = acha_secao(ds, hash_nome(ds));
    if (si >= 0) {
        const Dobrado dc = dobra_nome(chave);
        const Local l = acha_chave(si, dc, hash_nome(dc));
        std::string_view linha;
        bool achada = true;
        if (l.linha >= 0)
            linha = conteudo(static_cast<std::size_t>(l.linha));
        else if (l.acrescimo >= 0)
            linha = acrescimos(si)->linhas[static_cast<std::size_t>(l.acrescimo)];
        else
            achada = false;
        if (achada) {
            std::string_view v = analisa_linha(linha).valor;
            // One pair of matching quotes around the value is no part of it.
            if (v.size() >= 2 && (v[0] == '"' || v[0] == '\'') && v.back() == v[0]) v = v.substr(1, v.size() - 2);
            if (v.size() > static_cast<std::size_t>(capacidade - 1)) v = v.substr(0, std::size_t(capacidade - 1));
            return decodifica(v);
        }
    }
    while (!padrao.empty() && ehBranco(static_cast<unsigned char>(padrao.back())))
        padrao.remove_suffix(1);
    return std::string(corta(padrao, capacidade - 1));
}

void PerfilPrivado::grava(std::string_view secao, std::string_view chave, std::string_view valor) {
    const Dobrado ds = dobra_nome(secao);
    const Dobrado dc = dobra_nome(chave);
    // A key line must read back as that key: no '=' in its name, and no '[' to
    // start it, which would make it a section header.
    if (dc.find(U'=') != Dobrado::npos || (!dc.empty() && dc[0] == U'['))
        throw ErroExecucao(ERRO_CHAMADA_INVALIDA);
    const std::string nome_escrito = codifica(apara_nome(chave));
    const std::string v = codifica(valor);

    int si = acha_secao(ds, hash_nome(ds));
    if (si < 0) {
        SecaoNova s;
        s.nome = codifica(apara_nome(secao));
        // Found again by the name as it reads back from the file ('?' for a character
        // the code page lacks), not as it was asked for.
        const Dobrado ds_escrito = dobra_nome(decodifica(s.nome));
        secoes_novas_.push_back(std::move(s));
        si = static_cast<int>(cabecalhos_.size() + secoes_novas_.size() - 1);
        indice_secoes_novas_.emplace(ds_escrito, si);
    }
    const Local l = acha_chave(si, dc, hash_nome(dc));
    if (l.linha >= 0) {
        const auto linha = static_cast<std::uint32_t>(l.linha);
        substituidas_[linha] = troca_valor(conteudo(linha), v);
    } else if (l.acrescimo >= 0) {
        std::string& a = acrescimos(si)->linhas[static_cast<std::size_t>(l.acrescimo)];
        a = troca_valor(a, v);
    } else {
        Acrescimos& s = static_cast<std::size_t>(si) < cabecalhos_.size()
                            ? acrescimos_[static_cast<std::uint32_t>(si)]
                            : *acrescimos(si);
        s.linhas.push_back(nome_escrito + '=' + v);
        s.indice.emplace(dobra_nome(decodifica(nome_escrito)), s.linhas.size() - 1);
    }
}

void PerfilPrivado::percorre_linhas_nomeadas(const std::function<void(const LinhaNomeada&)>& visita) const {
    LinhaNomeada r;
    for (std::size_t l = 0; l < qtd_linhas(); ++l) {
        const Analise a = analisa_linha(original(l));
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
    const Analise a = analisa_linha(original(l));
    if (a.tipo == Tipo::Outra) return r;
    r.numero = numero;
    r.cabecalho = a.tipo == Tipo::Cabecalho;
    if (r.cabecalho) {
        r.secao = decodifica(a.nome);
        return r;
    }
    r.chave = decodifica(a.nome);
    r.valor = decodifica(a.valor);
    if (const int s = secao_da_linha(l); s >= 0)
        r.secao = decodifica(analisa_linha(original(cabecalhos_[static_cast<std::size_t>(s)])).nome);
    return r;
}

std::string PerfilPrivado::texto() const {
    std::string r;
    std::size_t extra = 0;
    const auto conta = [&extra](const Acrescimos& a) {
        for (const std::string& l : a.linhas)
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
    auto nova_linha = [&](std::string_view linha) {
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
        r += conteudo(l);
        const Trecho o = original(l);
        const char* fim_linha = o.data() + o.size();
        const char* fim_quebra = bytes_.data() + inicios_[l + 1];
        r.append(fim_linha, static_cast<std::size_t>(fim_quebra - fim_linha));
        sem_fim = fim_quebra == fim_linha;
        for (; proximo != devidos.cend() && proximo->first <= l; ++proximo)
            for (const std::string& a : proximo->second->linhas)
                nova_linha(a);
    }
    for (const SecaoNova& s : secoes_novas_) {
        nova_linha('[' + s.nome + ']');
        for (const std::string& a : s.chaves.linhas)
            nova_linha(a);
    }
    return r;
}

} // namespace vantora
