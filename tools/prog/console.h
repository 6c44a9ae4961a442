#pragma once
// vantora-prog's text on a console or terminal: accents that read right, help that
// fits the console's width, and progress lines redrawn in place.

#include <QString>
#include <QStringList>
#include <cstdio>

namespace vantora::prog {

// Writes `texto` to stdout or stderr so that its accents read right where it goes: on
// a Windows console as UTF-16 (WriteConsoleW, whatever the console's code page);
// elsewhere, a file or a pipe on Windows too, as UTF-8, as on Linux (on Windows each
// LF as CR LF).
void escreve(std::FILE* f, const QString& texto);

// The columns of the console (Windows) or terminal (Linux) that `f` writes to; 0 when
// it writes to a file or a pipe.
[[nodiscard]] int colunas(std::FILE* f);

// `texto` with each line that does not fit in `colunas` - 1 columns broken at spaces
// (a word longer than that at the last column); the lines that follow start under
// an option's description ("  --port P    Porta: ..."), else at the line's own
// indentation.
[[nodiscard]] QString quebra_linhas(const QString& texto, int colunas);

// Help text: on a console, broken to its width; elsewhere as it is.
void escreve_ajuda(std::FILE* f, const QString& texto);

// Lines of progress on a console or terminal, each call drawn over the lines of the
// one before. A Linux terminal (and a Windows console that takes them) moves the
// cursor by ANSI sequences; a Windows console that does not (old Windows, Wine) has
// its cursor placed by the console API and each line padded with spaces to its width.
// Nothing is drawn to a file or a pipe.
class Progresso {
  public:
    explicit Progresso(std::FILE* f);
    ~Progresso();
    Progresso(const Progresso&) = delete;
    Progresso& operator=(const Progresso&) = delete;

    [[nodiscard]] bool ativo() const {
        return modo_ != Modo::Nenhum;
    }
    // Draws `linhas` over the ones drawn last (below them after solta()).
    void desenha(const QStringList& linhas);
    // The lines drawn stay as they are; the next ones go below them.
    void solta() {
        desenhadas_ = 0;
    }

  private:
    enum class Modo { Nenhum, Ansi, Console };
    std::FILE* f_;
    Modo modo_ = Modo::Nenhum;
    int desenhadas_ = 0;
    unsigned long modoAntes_ = 0; // the console's mode before ours (Windows)
    bool restaura_ = false;
};

} // namespace vantora::prog
