#pragma once
// The error trap: runs a handler, and on a run-time error shows
// "Error N (description) in procedure P of <where>" with an OK button, no icon
// and the application's title, then leaves the handler. What was done before
// the failure stays done; an error that carries a sentence of our own about it
// shows that sentence after the message.

#include "erro.h"
#include "mensagens.h"

#include <exception>
#include <new>
#include <string>
#include <utility>

namespace vantora {

inline void mostraErro(Mensagens& msg, int numero, const std::string& descricao, const QString& procedimento,
                       const std::string& onde, const std::string& complemento = {}) {
    const std::string texto = mensagemErro(numero, descricao, procedimento.toStdString(), onde, complemento);
    msg.mostra(QString::fromStdString(texto), QString(), Icone::Nenhum, Botoes::Ok, Resposta::Ok);
}

// Returns true when the handler ran to its end.
template <class F>
bool armadilha(Mensagens& msg, const QString& procedimento, const std::string& onde, F&& corpo) {
    try {
        std::forward<F>(corpo)();
        return true;
    } catch (const ErroExecucao& e) {
        mostraErro(msg, e.numero(), e.descricao(), procedimento, onde, e.complemento());
    } catch (const std::bad_alloc&) {
        mostraErro(msg, 7, "Memória insuficiente", procedimento, onde);
    } catch (const std::exception& e) {
        mostraErro(msg, 51, QString::fromLocal8Bit(e.what()).toStdString(), procedimento, onde);
    }
    return false;
}

} // namespace vantora
