#pragma once

#include <QByteArray>
#include <QDeadlineTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

// The virtual pedal served by quarnel-virtual-pedal on one end of a socat
// pseudo-terminal pair, the other end left for the host: a pedal on a cable.
// socat runs with wait-slave on the pedal's end, so it makes the host's end
// only once the server holds its own, and goes when the server goes, as a port
// does when its cable is pulled.
class ServedPedal {
public:
    ServedPedal(QString socat, QString program) : socatPath_(std::move(socat)), program_(std::move(program)) {}
    ~ServedPedal() { stop(); }
    ServedPedal(const ServedPedal&) = delete;
    ServedPedal& operator=(const ServedPedal&) = delete;

    // Starts socat and the server with these arguments before its port; false
    // when either does not come up within a few seconds.
    bool start(const QStringList& serverArguments = {})
    {
        const QDeadlineTimer deadline(10000);
        socat_.start(socatPath_, {"-d", "-d", "pty,raw,echo=0,wait-slave", "pty,raw,echo=0"});
        if (!socat_.waitForStarted(5000) || !waitForTerminals(1, deadline))
            return false;
        pedalEnd_ = terminals().at(0);
        server_.start(program_, serverArguments + QStringList{pedalEnd_});
        while (!serverSaid_.contains("Serving") && !deadline.hasExpired() && server_.state() != QProcess::NotRunning) {
            server_.waitForReadyRead(100);
            serverSaid_ += server_.readAllStandardError();
        }
        if (!serverSaid_.contains("Serving") || !waitForTerminals(2, deadline))
            return false;
        hostEnd_ = terminals().at(1);
        return true;
    }

    void stop()
    {
        for (QProcess* p : {&server_, &socat_}) {
            if (p->state() != QProcess::NotRunning) {
                p->kill();
                p->waitForFinished(3000);
            }
        }
    }

    QString pedalEnd() const { return pedalEnd_; }
    QString hostEnd() const { return hostEnd_; }
    QProcess& server() { return server_; }
    QProcess& socat() { return socat_; }
    // What the server has said on its error channel so far.
    const QByteArray& serverSaid()
    {
        serverSaid_ += server_.readAllStandardError();
        return serverSaid_;
    }

private:
    QStringList terminals() const
    {
        static const QRegularExpression line(QStringLiteral("PTY is (\\S+)"));
        QStringList found;
        for (auto it = line.globalMatch(QString::fromLocal8Bit(socatSaid_)); it.hasNext();)
            found << it.next().captured(1);
        return found;
    }
    bool waitForTerminals(int count, const QDeadlineTimer& deadline)
    {
        while (terminals().size() < count && !deadline.hasExpired() && socat_.state() == QProcess::Running) {
            socat_.waitForReadyRead(100);
            socatSaid_ += socat_.readAllStandardError();
        }
        return terminals().size() >= count;
    }

    QString socatPath_;
    QString program_;
    QProcess socat_;
    QProcess server_;
    QByteArray socatSaid_;
    QByteArray serverSaid_;
    QString pedalEnd_;
    QString hostEnd_;
};
