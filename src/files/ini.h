#pragma once
// The private-profile store: an INI file held in memory line by line, read and
// written the way the Windows profile functions do, so that layout files pass
// freely between this program and the ones written on Windows.
//
// Reading (as GetPrivateProfileString): section and key names are matched without
// regard to letter case and without the blanks around them; the value comes back
// without its surrounding blanks, and without one pair of matching quotes ('...' or
// "...") around it; the first section of a name and the first key of a name within
// it win; a missing file, section or key gives the default. A line is a section
// header when it starts with '[' and has a ']' after it (the name lies before the
// last ']'); a key line holds an '='; every other line (blank lines, comments,
// junk) is kept and ignored.
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
// Reading is linear in the size of the file: line spans and hashed name indexes,
// no copy per line. A save composes the whole text and writes it once, through a
// temporary file renamed over the original.

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringView>
#include <cstdint>
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
    static constexpr qint64 LIMITE_BYTES = qint64(256) * 1024 * 1024;

    PerfilPrivado() = default;

    // A profile made of these bytes (for tests and the fuzzer).
    [[nodiscard]] static PerfilPrivado de_bytes(const QByteArray& bytes);

    // Reads a layout file, for the window's Open and every command of vantora-prog. A
    // missing file, a folder, a device, a file that cannot be read or one above
    // LIMITE_BYTES reads as an empty profile (every read gives its default), `motivo`
    // saying why ("arquivo não encontrado"). Never throws for bad content.
    [[nodiscard]] static PerfilPrivado le_arquivo(const QString& caminho, QString* motivo = nullptr);

    // Reads a file that is about to be rewritten. A missing file gives an empty
    // profile; a file that exists but cannot be read whole throws error 75 naming
    // the file and the reason, since writing over it would lose what it holds.
    [[nodiscard]] static PerfilPrivado le_para_gravar(const QString& caminho);

    // The value of `chave` in `secao`, cut to capacidade - 1 characters, or the
    // default (without its trailing blanks, also cut) when the section or the key
    // does not exist. A key line without '=' holds no value.
    [[nodiscard]] QString le(const QString& secao, const QString& chave, const QString& padrao,
                             int capacidade) const;

    // Sets `chave` of `secao` to `valor`. Names are taken without their surrounding
    // blanks; a line break in a name or value is written as a blank, so that one
    // call never makes more than one line. A key name holding '=' or starting with
    // '[' could not be read back: error 5.
    void grava(const QString& secao, const QString& chave, const QString& valor);

    // The text of the file as it now stands, in Windows-1252.
    [[nodiscard]] QByteArray texto() const;

    // The encoding the file was read in, and its name for messages ("UTF-16 LE com BOM").
    [[nodiscard]] Codificacao codificacao() const { return codificacao_; }
    [[nodiscard]] static QString nome_codificacao(Codificacao c);
    // The file's text holds characters that Windows-1252 lacks (read as '?').
    [[nodiscard]] bool tem_caracteres_fora_do_1252() const { return perdas_; }

    // The section headers and key lines of the file as read, in file order, with
    // their line numbers (from 1): for checking a file and pointing at its lines.
    struct LinhaNomeada {
        int numero = 0;
        bool cabecalho = false; // a section header; otherwise a key line
        QString secao;          // the section it belongs to (empty before the first one)
        QString chave;
        QString valor; // as written, without surrounding blanks
    };
    [[nodiscard]] std::vector<LinhaNomeada> linhas_nomeadas() const;

    // Why `texto` must not be written as a layout file, or an empty string when it may
    // be: a text that begins with the bytes of a byte-order mark reads back as UTF-8 or
    // UTF-16, here and in the Windows profile functions, not as the text written.
    [[nodiscard]] static QString motivo_recusa(const QByteArray& texto);

    // Writes texto() to `caminho` in one go (temporary file renamed over the
    // original). On failure throws error 75 with a description that names the file
    // and the reason; the old file is then left as it was. A text read from a file
    // with characters Windows-1252 lacks, and a text motivo_recusa() refuses, are
    // refused the same way.
    void salva(const QString& caminho) const;

  private:
    struct Linha {
        std::uint32_t inicio; // first byte
        std::uint32_t fim;    // end of the content; the line break follows
    };
    struct Secao {
        std::uint32_t cabecalho = 0;                 // header line (original sections)
        std::uint32_t fim = 0;                       // one past its last original line
        std::uint32_t insercao = 0;                  // new keys go after this line
        QByteArray nome_novo;                        // header text of a section added by grava()
        std::vector<QByteArray> acrescimos;          // key lines added by grava()
        QHash<QString, qsizetype> indice_acrescimos; // folded name -> acrescimos index
        // Key lines of the original lines, by hash of the folded name, built on the
        // first look-up in this section.
        mutable std::vector<std::pair<std::uint64_t, std::uint32_t>> indice;
        mutable bool indexada = false;
    };
    // Where a key lives: an original line, or an added line of a section.
    struct Local {
        int secao = -1;
        qsizetype linha = -1;     // original line, or -1
        qsizetype acrescimo = -1; // index into acrescimos, or -1
    };

    void analisa();
    [[nodiscard]] int acha_secao(QStringView dobrado, std::uint64_t hash) const;
    [[nodiscard]] Local acha_chave(int secao, QStringView dobrado, std::uint64_t hash) const;
    void indexa(const Secao& s) const;
    // The text of an original line as it now stands (without its line break).
    [[nodiscard]] std::pair<const char*, qsizetype> conteudo(qsizetype linha) const;

    QByteArray bytes_; // in Windows-1252
    Codificacao codificacao_ = Codificacao::Ansi;
    bool perdas_ = false;
    std::vector<Linha> linhas_;
    std::vector<Secao> secoes_; // original sections first, in file order
    std::size_t qtd_originais_ = 0;
    std::vector<std::pair<std::uint64_t, std::uint32_t>> indice_secoes_; // originals, sorted
    QHash<QString, int> secoes_novas_;                                   // folded name -> index
    std::unordered_map<std::uint32_t, QByteArray> substituidas_;         // original line -> new text
};

} // namespace vantora
