#pragma once
// The private-profile store: an INI file held in memory line by line, read and
// written the way the Windows profile functions do, so that layout files pass
// freely between this program and the ones written on Windows. Standard C++ alone:
// the file is bytes, names and values come and go as UTF-8 text. Reading a file from
// disk and saving one are the program's part (files/disco.h).
//
// Reading (as GetPrivateProfileString): section and key names are matched without
// regard to letter case and without the blanks around them; the value comes back
// without its surrounding blanks, and without one pair of matching quotes ('...' or
// "...") around it; the first section of a name and the first key of a name within
// it win; a missing file, section or key gives the default. A line is a section
// header when it starts with '[' and has a ']' after it (the name lies before the
// last ']'); a key line holds an '='; every other line (blank lines, comments,
// junk) is kept and ignored. The blanks are the ASCII ones (space, tab, CR, LF, VT,
// FF): a no-break space (A0h) is part of a name.
//
// Writing (as WritePrivateProfileString): the value of an existing key is replaced
// where it stands, a missing key is added after the last non-blank line of its
// section, a missing section is added at the end of the file; new lines are
// "key=value" with CR LF. Every other byte of the file stays as it was.
//
// The file is taken byte by byte in the Windows-1252 code page, the one the layout
// files have always been written in, so that any byte a Windows program put there
// comes back out unchanged. A file that starts with a byte-order mark, as Windows
// Notepad saves "UTF-8" and "Unicode" text, is read as the text it holds (UTF-8,
// UTF-16 little- or big-endian), as the Windows profile functions read Unicode files;
// it is written back as every layout is, in Windows-1252 without the mark. One whose
// text has characters Windows-1252 lacks is not saved over, so that none is lost; nor
// is a text that would begin with the bytes of a mark ("ÿþ", "þÿ", "ï»¿" in
// Windows-1252), which Windows, and this store, would read back as other text.
//
// Reading is linear in the size of the file: line starts and hashed name indexes,
// no copy per line, a few bytes for each line and section.

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace vantora {

class PerfilPrivado {
  public:
    // How the file's text was stored.
    enum class Codificacao { Ansi, Utf8Bom, Utf16LE, Utf16BE };

    // Files larger than this are no profile of ours: reading takes them as missing,
    // writing over them is refused.
    static constexpr std::int64_t LIMITE_BYTES = std::int64_t(256) * 1024 * 1024;

    PerfilPrivado() = default;

    // A profile made of the bytes of a file (more than LIMITE_BYTES: an empty one).
    [[nodiscard]] static PerfilPrivado de_bytes(std::string bytes);

    // The value of `chave` in `secao`, cut to capacidade - 1 characters, or the
    // default (without its trailing blanks, also cut) when the section or the key
    // does not exist. A key line without '=' holds no value.
    [[nodiscard]] std::string le(std::string_view secao, std::string_view chave, std::string_view padrao,
                                 int capacidade) const;

    // Sets `chave` of `secao` to `valor`. Names are taken without their surrounding
    // blanks; a line break in a name or value is written as a blank, so that one
    // call never makes more than one line; a character Windows-1252 lacks is written
    // as '?'. A key name holding '=' or starting with '[' could not be read back:
    // error 5.
    void grava(std::string_view secao, std::string_view chave, std::string_view valor);

    // The text of the file as it now stands, in Windows-1252.
    [[nodiscard]] std::string texto() const;

    // The encoding the file was read in, and its name for messages ("UTF-16 LE com BOM").
    [[nodiscard]] Codificacao codificacao() const { return codificacao_; }
    [[nodiscard]] static std::string nome_codificacao(Codificacao c);
    // The file's text holds characters that Windows-1252 lacks (read as '?').
    [[nodiscard]] bool tem_caracteres_fora_do_1252() const { return perdas_; }

    // A name as the reader compares names: without the blanks around it, a line break
    // in it as a blank, in one letter case (UTF-8 in and out). Two names are the same
    // section or key exactly when their folded forms are equal.
    [[nodiscard]] static std::string dobra(std::string_view nome);

    // The section headers and key lines of the file as read, in file order, with
    // their line numbers (from 1): for checking a file and pointing at its lines.
    struct LinhaNomeada {
        int numero = 0;         // 0: no header or key line
        bool cabecalho = false; // a section header; otherwise a key line
        std::string secao;      // the section it belongs to (empty before the first one)
        std::string chave;
        std::string valor; // as written, without surrounding blanks
    };
    // Gives each of them to `visita`, in file order, one at a time: the names are
    // decoded as the walk reaches them, never all held at once.
    void percorre_linhas_nomeadas(const std::function<void(const LinhaNomeada&)>& visita) const;
    // The header or key line `numero` (from 1) as the walk gives it; numero 0 when that
    // line is neither.
    [[nodiscard]] LinhaNomeada linha_nomeada(int numero) const;

    // Why `texto` must not be written as a layout file, or an empty string when it may
    // be: a text that begins with the bytes of a byte-order mark reads back as UTF-8 or
    // UTF-16, here and in the Windows profile functions, not as the text written.
    [[nodiscard]] static std::string motivo_recusa(std::string_view texto);
    // Why texto() must not be written over the file it was read from, or empty: the
    // file's text had characters Windows-1252 lacks, or motivo_recusa(texto()).
    [[nodiscard]] std::string motivo_recusa_gravacao(const std::string& texto) const;

  private:
    // A name folded for comparison, one character per element.
    using Dobrado = std::u32string;
    // Keys added by grava() to one section, with their index by folded name.
    struct Acrescimos {
        std::vector<std::string> linhas;
        std::unordered_map<Dobrado, std::size_t> indice;
    };
    // A section added by grava(), written at the end of the file.
    struct SecaoNova {
        std::string nome;
        Acrescimos chaves;
    };
    // Where a key lives: an original line, or an added line of a section.
    struct Local {
        int secao = -1;               // original sections first, then the added ones
        std::int64_t linha = -1;     // original line, or -1
        std::int64_t acrescimo = -1; // index into the section's added lines, or -1
    };
    // Key name hashes and their lines, sorted.
    using Indice = std::vector<std::pair<std::uint32_t, std::uint32_t>>;
    // A run of the file's bytes.
    using Trecho = std::string_view;

    void analisa();
    // The name of an original section as its header has it.
    [[nodiscard]] Trecho nome_secao(std::uint32_t secao) const;
    // Puts an original section in tabela_secoes_ unless one of its name is there.
    void indexa_secao(std::uint32_t secao, std::uint32_t hash);
    [[nodiscard]] int acha_secao(const Dobrado& dobrado, std::uint32_t hash) const;
    [[nodiscard]] Local acha_chave(int secao, const Dobrado& dobrado, std::uint32_t hash) const;
    [[nodiscard]] const Indice& indice_chaves(std::uint32_t secao) const;
    [[nodiscard]] Acrescimos* acrescimos(int secao);
    [[nodiscard]] const Acrescimos* acrescimos(int secao) const;
    // The original section a line lies in, or -1 before the first one.
    [[nodiscard]] int secao_da_linha(std::uint32_t linha) const;
    // One past the last line of an original section.
    [[nodiscard]] std::uint32_t fim_secao(std::uint32_t secao) const;
    // The line after which keys added to an original section go: its last non-blank line.
    [[nodiscard]] std::uint32_t insercao(std::uint32_t secao) const;
    // An original line as read, and as it now stands (without its line break).
    [[nodiscard]] Trecho original(std::size_t linha) const;
    [[nodiscard]] Trecho conteudo(std::size_t linha) const;
    [[nodiscard]] std::size_t qtd_linhas() const { return inicios_.empty() ? 0 : inicios_.size() - 1; }

    // A layout may hold millions of lines and sections: what every one of them costs
    // is a number or two; the parts few of them need (added keys, key indexes) live
    // beside them, for those only.
    std::string bytes_; // in Windows-1252
    Codificacao codificacao_ = Codificacao::Ansi;
    bool perdas_ = false;
    // First byte of each line, then the end of the text; a line's content ends where
    // its line break (CR LF, CR or LF) before the next line's start begins.
    std::vector<std::uint32_t> inicios_;
    std::vector<std::uint32_t> cabecalhos_; // header line of each original section, in file order
    // The first original section of each name, by hash of the folded name: the hash
    // and the section number + 1 (0 when free), never more than half full. A name
    // written a million times takes one place.
    std::vector<std::pair<std::uint32_t, std::uint32_t>> tabela_secoes_;
    std::size_t qtd_nomes_ = 0;
    // Key lines of an original section, built on the first look-up in it.
    mutable std::unordered_map<std::uint32_t, Indice> indices_chaves_;
    std::map<std::uint32_t, Acrescimos> acrescimos_;              // original section -> keys added to it
    std::vector<SecaoNova> secoes_novas_;                         // numbered after the original ones
    std::unordered_map<Dobrado, int> indice_secoes_novas_;        // folded name -> section number
    std::unordered_map<std::uint32_t, std::string> substituidas_; // original line -> new text
};

} // namespace vantora
