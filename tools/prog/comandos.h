#pragma once
// The sub-commands of vantora-prog. Each takes its arguments (after the command's
// name) and returns the program's exit status.

#include "console.h"
#include "files/ini.h"

#include <QStringList>
#include <cstdio>

class QCommandLineParser;

namespace vantora::prog {

int ports(const QStringList& args);
int send(const QStringList& args);
int show(const QStringList& args);
int check(const QStringList& args);
int legend(const QStringList& args);

// Parses a sub-command's options and answers --help with `uso` and `descricao`.
// False when the command is to end at once with `status`.
bool analisa(QCommandLineParser& p, const QString& uso, const QString& descricao, const QStringList& args,
             int& status);

// True when the command got `quantos` arguments besides its options; otherwise says
// what is missing or which are too many.
bool argumentos(const QCommandLineParser& p, const QString& comando, int quantos);

// Reads a file whole for the layout reader. False, with the reason printed (not
// found, a folder, too large, no permission), when it cannot be read.
bool le_perfil(const QString& caminho, PerfilPrivado& ini);

} // namespace vantora::prog
