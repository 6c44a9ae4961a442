#pragma once
// The main window Frm_Grava, "Corvalo USB/Serial": it owns the document the operator
// edits and assembles the subsystems' controllers, each owning its controls:
//   Documento (src/editor)     the layout, sentinel boxes, selection, page and model;
//   TecladoPC (src/catalogue)  the on-screen PC keyboard laid out from the catalogue;
//   Editor    (src/editor)     the document's view: keys, tabs, sentinels, option boxes;
//   Captura   (src/capture)    the keyboard filter and the lock lamps;
//   Arquivos  (src/files)      New, Open and Save;
//   Ligacao   (src/link)       ports, the programming exchange, serial capture.
// The controllers talk to the document, never to each other's controls.
// The window itself keeps the menu, the instructions and start-up.

#include "shell/servicos.h"

#include <QMainWindow>
#include <memory>

class QAction;

namespace vantora {

class Arquivos;
class Captura;
class Documento;
class Editor;
class Ligacao;
class TecladoPC;

class Frm_Grava : public QMainWindow {
    Q_OBJECT
  public:
    // Seams left null are the platform's own.
    explicit Frm_Grava(const Servicos& servicos, QWidget* pai = nullptr);
    ~Frm_Grava() override;

    // Start-up; false when it failed (its message has been shown and the window is
    // to be closed, which ends the program).
    bool Form_Load();
    void Form_Unload();
    void mnuSair_Click();

    Documento& documento();
    TecladoPC& teclado_pc();
    Editor& editor();
    Captura& captura();
    Arquivos& arquivos();
    Ligacao& ligacao();
    // The menu's commands (object names equal the control names).
    struct Menu {
        QAction* mnuNovo = nullptr;
        QAction* mnu_Abrir = nullptr;
        QAction* mnuSalvar = nullptr;
        QAction* mnu_ativa_serial = nullptr;
        QAction* mnuSair = nullptr;
    };
    [[nodiscard]] const Menu& menu() const;

  protected:
    void closeEvent(QCloseEvent* e) override;

  private:
    struct Partes;
    std::unique_ptr<Partes> p_;
    // Test-only report: with VANTORA_RELATORIO=path in the environment, writes the
    // selection, table 1, Txt_dado, the port box, the lamps and an open message box to
    // that file whenever they change (read by the real-keystroke tests).
    void relata_estado();
};

} // namespace vantora
