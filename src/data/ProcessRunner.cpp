#include "ProcessRunner.h"

#include <QCollator>
#include <QDir>
#include <QProcess>
#include <QStandardPaths>

#include <atomic>

using namespace Qt::StringLiterals;

namespace {

std::atomic<ProcessRunner*> s_handler { nullptr };

class RealRunner final : public ProcessRunner
{
public:
    // The search path first, then the server's own folders as Debian installs them, newest first.
    QString find(const QString& tool) override
    {
        const QString onPath = QStandardPaths::findExecutable(tool);
        if (!onPath.isEmpty())
            return onPath;
        QStringList versions = QDir(u"/usr/lib/postgresql"_s).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        QCollator numeric;
        numeric.setNumericMode(true);
        std::sort(versions.begin(), versions.end(),
            [&numeric](const QString& a, const QString& b) { return numeric.compare(a, b) > 0; });
        for (const QString& version : versions) {
            const QString found
                = QStandardPaths::findExecutable(tool, { u"/usr/lib/postgresql/%1/bin"_s.arg(version) });
            if (!found.isEmpty())
                return found;
        }
        return {};
    }

    Outcome run(
        const QString& program, const QStringList& arguments, const QStringList& environment, int timeoutMs) override
    {
        Outcome outcome;
        QProcess process;
        QProcessEnvironment variables = QProcessEnvironment::systemEnvironment();
        for (const QString& entry : environment)
            variables.insert(entry.section(u'=', 0, 0), entry.section(u'=', 1));
        process.setProcessEnvironment(variables);
        process.start(program, arguments);
        if (!process.waitForStarted()) {
            outcome.errors = process.errorString();
            return outcome;
        }
        if (!process.waitForFinished(timeoutMs)) {
            process.kill();
            process.waitForFinished();
            outcome.errors = u"%1: süre doldu"_s.arg(program);
            return outcome;
        }
        outcome.ran = process.exitStatus() == QProcess::NormalExit;
        outcome.exitCode = process.exitCode();
        outcome.output = QString::fromLocal8Bit(process.readAllStandardOutput());
        outcome.errors = QString::fromLocal8Bit(process.readAllStandardError()).trimmed();
        return outcome;
    }
};

ProcessRunner& runner()
{
    static RealRunner real;
    ProcessRunner* installed = s_handler.load();
    return installed ? *installed : real;
}

} // namespace

QString ProcessRunner::findTool(const QString& tool)
{
    return runner().find(tool);
}

ProcessRunner::Outcome ProcessRunner::start(
    const QString& program, const QStringList& arguments, const QStringList& environment, int timeoutMs)
{
    return runner().run(program, arguments, environment, timeoutMs);
}

void ProcessRunner::setHandler(ProcessRunner* runner)
{
    s_handler = runner;
}
