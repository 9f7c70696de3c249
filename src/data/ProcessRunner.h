#pragma once

#include <QString>
#include <QStringList>

// Every other program the data layer starts (the database server's tools) goes through here, so
// tests can answer in their place. Runs to the end on the calling thread; any thread may call.
class ProcessRunner
{
public:
    struct Outcome {
        bool ran = false; // started and ended on its own, within the time allowed
        int exitCode = -1;
        QString output; // standard output
        QString errors; // standard error, or why it did not run
    };

    virtual ~ProcessRunner() = default;
    // The full path of a tool, or an empty text when it is not installed.
    virtual QString find(const QString& tool) = 0;
    // environment: "NAME=value" entries added to this program's own environment.
    virtual Outcome run(
        const QString& program, const QStringList& arguments, const QStringList& environment, int timeoutMs)
        = 0;

    // Through the installed runner, or the real one.
    static QString findTool(const QString& tool);
    static Outcome start(
        const QString& program, const QStringList& arguments, const QStringList& environment, int timeoutMs);
    // Replaces the runner (tests); nullptr restores the real one.
    static void setHandler(ProcessRunner* runner);
};
