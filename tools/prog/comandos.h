#pragma once
// The sub-commands of vantora-prog. Each takes its arguments (after the command's
// name) and returns the program's exit status.

#include "files/ini.h"

#include <QStringList>
#include <cstdio>

class QCommandLineParser;

namespace vantora::prog {

// Writes `texto` to stdout or stderr so that its accents read right where it goes: on
// a Windows console as UTF-16 (WriteConsoleW, whatever the console's code page);
// elsewhere, a file or a pipe on Windows too, as UTF-8, as on Linux (on Windows each
// LF as CR LF).
void escreve(std::FILE* f, const QString& texto);
// Whether `f` is a terminal that redraws lines (ANSI cursor movements).
bool terminal(std::FILE* f);

int ports(const QStringList& args);
int send(const QStringList& args);
int show(const QStringList& args);
int check(const QStringList& args);
int legend(const QStringList& args);

// Parses a sub-command's options and answers --help with `uso` and `descricao`.
// False when the command is to end at once with `status`.
bool analisa(QCommandLineParser& p, const QString& uso, const QString& descricao, const QStringList& args,
             int& status);

// Reads a file whole for the layout reader. False, with the reason printed (not
// found, a folder, too large, no permission), when it cannot be read.
bool le_perfil(const QString& caminho, PerfilPrivado& ini);

} // namespace vantora::prog
