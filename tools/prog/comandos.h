#pragma once
// The sub-commands of vantora-prog. Each takes its arguments (after the command's
// name) and returns the program's exit status.

#include <QStringList>

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

} // namespace vantora::prog
