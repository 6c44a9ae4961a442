#include "configuracao.h"

#include <QSettings>

namespace vantora {
namespace {

class ConfiguracaoQt final : public ConfiguracaoUsuario {
  public:
    explicit ConfiguracaoQt(const QString& aplicacao)
#ifdef Q_OS_WIN
        : ajustes_(QStringLiteral("HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\") + aplicacao,
                   QSettings::NativeFormat)
#else
        : ajustes_(QSettings::NativeFormat, QSettings::UserScope, aplicacao, aplicacao)
#endif
    {
    }

    QString le(const QString& secao, const QString& chave, const QString& padrao) override {
        return ajustes_.value(secao + QLatin1Char('/') + chave, padrao).toString();
    }

    void grava(const QString& secao, const QString& chave, const QString& valor) override {
        ajustes_.setValue(secao + QLatin1Char('/') + chave, valor);
        ajustes_.sync();
    }

  private:
    QSettings ajustes_;
};

} // namespace

std::unique_ptr<ConfiguracaoUsuario> criaConfiguracaoSistema(const QString& aplicacao) {
    return std::make_unique<ConfiguracaoQt>(aplicacao);
}

QString porta_lembrada(ConfiguracaoUsuario& configuracao) {
    return configuracao.le(QStringLiteral("Sistema"), QStringLiteral("Serial"), QStringLiteral("1"));
}

void lembra_porta(ConfiguracaoUsuario& configuracao, const QString& numero) {
    configuracao.grava(QStringLiteral("Sistema"), QStringLiteral("Serial"), numero);
}

} // namespace vantora
