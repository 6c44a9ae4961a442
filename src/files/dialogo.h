#pragma once
// Seam for the file dialogs of Open and Save: the window asks through this
// interface, so tests can answer with a path or a cancel.

#include <QString>

namespace vantora {

class DialogoArquivo {
  public:
    virtual ~DialogoArquivo() = default;
    // Modal dialogs. `filtro` is given as "description|pattern[|description|pattern...]";
    // `nome` is the proposed file name. They give back the full path chosen, or the
    // empty text when the operator cancels.
    [[nodiscard]] virtual QString abrir(const QString& titulo, const QString& filtro, const QString& pasta,
                                        const QString& nome) = 0;
    [[nodiscard]] virtual QString salvar(const QString& titulo, const QString& filtro, const QString& pasta,
                                         const QString& nome) = 0;
};

// "laytou teclado Ordavi (*.key)|*.key" -> "laytou teclado Ordavi (*.key)", the form
// Qt's dialogs take: one "description (patterns)" per file type, joined by ";;".
// Several patterns of one type ("*.key;*.txt") become "(*.key *.txt)".
[[nodiscard]] QString filtro_qt(const QString& filtro);

// The extension of the first file type's first pattern ("key" for "...|*.key"),
// added by the save dialog to a name typed without one; empty when the pattern is
// no plain "*.ext".
[[nodiscard]] QString sufixo_padrao(const QString& filtro);

// Folder a file dialog opens in: the program's folder when it is the user's (one we
// may write, outside the folders where the system installs programs: Program Files,
// %LOCALAPPDATA%\Programs, /usr, /opt), else the user's documents folder.
[[nodiscard]] QString pasta_inicial(const QString& pasta_programa);

} // namespace vantora
