#pragma once
// Where the command line writes: words for people on stdout (none with --quiet or --json),
// errors on stderr always, and one JSON document on stdout with --json.

#include <cstdio>

#include <QJsonObject>
#include <QString>

namespace veloris::cli {

class Console {
  public:
    Console(bool json, bool quiet) : json_(json), quiet_(quiet) {}

    bool json() const { return json_; }
    bool quiet() const { return quiet_; }

    // A line of the report; nothing with --quiet or --json.
    void say(const QString& line) const;
    // A line on stderr, whatever the options.
    void error(const QString& line) const;
    // The whole JSON report; only with --json.
    void document(const QJsonObject& report) const;

  private:
    bool json_;
    bool quiet_;
};

} // namespace veloris::cli
