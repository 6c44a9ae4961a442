#pragma once
// Layout files on disk: a profile (files/ini.h) read from a file whole, and saved in one
// go through a temporary file renamed over the original.

#include "files/ini.h"

#include <QString>

namespace vantora {

// Reads a layout file, for the window's Open and every command of vantora-prog. A
// missing file, a folder, a device, a file that cannot be read or one above
// PerfilPrivado::LIMITE_BYTES reads as an empty profile (every read gives its
// default), `motivo` saying why ("arquivo não encontrado"). Never throws for bad content.
[[nodiscard]] PerfilPrivado le_arquivo(const QString& caminho, QString* motivo = nullptr);

// Reads a file that is about to be rewritten. A missing file gives an empty
// profile; a file that exists but cannot be read whole throws error 75 naming
// the file and the reason, since writing over it would lose what it holds.
[[nodiscard]] PerfilPrivado le_para_gravar(const QString& caminho);

// Writes ini.texto() to `caminho` in one go (temporary file renamed over the
// original). On failure throws error 75 with a description that names the file
// and the reason; the old file is then left as it was. A text read from a file
// with characters Windows-1252 lacks, and a text PerfilPrivado::motivo_recusa()
// refuses, are refused the same way.
void salva(const PerfilPrivado& ini, const QString& caminho);

} // namespace vantora
