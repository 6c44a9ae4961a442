#pragma once
// Seam for message boxes: the window asks through this interface, so tests can
// read what was shown and answer questions.

#include <QString>

namespace vantora {

enum class Icone { Nenhum, Informacao, Exclamacao, Pergunta };
enum class Botoes { Ok, SimNao };
enum class Resposta { Ok, Sim, Nao };

class Mensagens {
  public:
    virtual ~Mensagens() = default;
    // Shows a modal box; an empty title means the application's title.
    virtual Resposta mostra(const QString& texto, const QString& titulo, Icone icone, Botoes botoes,
                            Resposta padrao) = 0;

    void informa(const QString& texto, const QString& titulo = {}) {
        mostra(texto, titulo, Icone::Informacao, Botoes::Ok, Resposta::Ok);
    }
    void avisa(const QString& texto, const QString& titulo = {}) {
        mostra(texto, titulo, Icone::Exclamacao, Botoes::Ok, Resposta::Ok);
    }
    void simples(const QString& texto, const QString& titulo = {}) {
        mostra(texto, titulo, Icone::Nenhum, Botoes::Ok, Resposta::Ok);
    }
};

} // namespace vantora
