#pragma once
// Seam for the per-user settings store ("Sistema"/"Serial" holds the last port).

#include <QString>
#include <memory>

namespace vantora {

class ConfiguracaoUsuario {
  public:
    virtual ~ConfiguracaoUsuario() = default;
    [[nodiscard]] virtual QString le(const QString& secao, const QString& chave, const QString& padrao) = 0;
    virtual void grava(const QString& secao, const QString& chave, const QString& valor) = 0;
};

// The platform's store: on Windows the per-user program-settings area of the
// registry (HKCU\Software\VB and VBA Program Settings\<app>\<section>), elsewhere
// Qt's native per-user store under organization and application <app>.
[[nodiscard]] std::unique_ptr<ConfiguracaoUsuario> criaConfiguracaoSistema(const QString& aplicacao);

// The last port the window opened, its number as text ("1" before any), kept by the
// window and taken by vantora-prog when no port is named.
[[nodiscard]] QString porta_lembrada(ConfiguracaoUsuario& configuracao);
void lembra_porta(ConfiguracaoUsuario& configuracao, const QString& numero);

} // namespace vantora
