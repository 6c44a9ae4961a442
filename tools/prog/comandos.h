#pragma once
// The sub-commands of vantora-prog. Each takes its arguments (after the command's
// name) and returns the program's exit status.

#include <QStringList>

namespace vantora::prog {

int ports(const QStringList& args);
int send(const QStringList& args);
int show(const QStringList& args);
int check(const QStringList& args);
int legend(const QStringList& args);

} // namespace vantora::prog
