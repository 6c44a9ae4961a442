#pragma once
// Run-time errors of the configurator: a number and a description, thrown as one
// exception type and reported by one error trap (see armadilha.h). Standard C++ alone:
// the texts are UTF-8.

#include <exception>
#include <string>
#include <utility>

namespace vantora {

// Error numbers that ordinary input reaches.
enum NumeroErro : int {
    ERRO_CHAMADA_INVALIDA = 5, // invalid procedure call or argument
    ERRO_ESTOURO = 6,          // a number outside the 16-bit range
    ERRO_SUBSCRITO = 9,        // subscript out of range
    ERRO_TIPOS = 13,           // text that is no number where a number is needed
    ERRO_PROPRIEDADE = 380,    // invalid property value
    ERRO_PORTA_INVALIDA = 8002,
    ERRO_PORTA_ABERTA = 8005, // serial port held by another program
    ERRO_PORTA_FECHADA = 8018,
    ERRO_ARQUIVO = 75, // path/file access error
};

// Standard description of an error number, in the language of the window.
[[nodiscard]] std::string descricaoPadrao(int numero);

class ErroExecucao : public std::exception {
  public:
    explicit ErroExecucao(int numero, std::string descricao = {});
    [[nodiscard]] int numero() const noexcept { return numero_; }
    [[nodiscard]] const std::string& descricao() const noexcept { return descricao_; }
    [[nodiscard]] const char* what() const noexcept override { return texto_.c_str(); }
    // Our own sentence shown after the trap's message (what the failure left behind);
    // the message itself stays as it is.
    [[nodiscard]] const std::string& complemento() const noexcept { return complemento_; }
    void defineComplemento(std::string texto) { complemento_ = std::move(texto); }

  private:
    int numero_;
    std::string descricao_;
    std::string complemento_;
    std::string texto_;
};

// Where a procedure lives, for the trap's message: the main window or a module.
inline std::string formulario() {
    return "Formulário Frm_Grava";
}
inline std::string modulo(const std::string& nome) {
    return "Módulo " + nome;
}

// "Error 13 (Tipos incompatíveis) in procedure X of Formulário Frm_Grava", and our own
// sentence about it, if any, after a blank line.
[[nodiscard]] std::string mensagemErro(int numero, const std::string& descricao, const std::string& procedimento,
                                       const std::string& onde, const std::string& complemento = {});

// The title of the application, shown by message boxes that have none of their own.
inline const char* tituloAplicacao() {
    return "Corvalo USB/Serial";
}

} // namespace vantora
