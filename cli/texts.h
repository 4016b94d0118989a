#pragma once
// The translation context of every sentence the command line prints: English source texts,
// translated through the embedded Qt translation files.

#include <QCoreApplication>

namespace veloris::cli {

class Cli {
    Q_DECLARE_TR_FUNCTIONS(Cli)
};

} // namespace veloris::cli
