#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// Every line of the run's log, kept for log.txt, in little memory: the newest
// lines as they are, older ones packed (compressed) in blocks, since a log is
// written far more than it is read. Bounded as well: past the limit the
// oldest lines go, and one marker line at the top says how many.
class KeptLog {
public:
    // About 64 MiB of text: a week-long session cannot eat the machine.
    static constexpr qsizetype kDefaultMaxChars = 32 * 1024 * 1024;
    // Lines stay unpacked until this many characters have gathered.
    static constexpr qsizetype kBlockChars = 64 * 1024;

    explicit KeptLog(qsizetype maxChars = kDefaultMaxChars) : maxChars_(maxChars) {}

    void append(const QString& line);
    void clear();
    void setMaxChars(qsizetype chars);

    qsizetype lineCount() const;
    // The characters of text(): every line and its CR LF.
    qsizetype chars() const { return chars_; }
    // What the kept text takes in memory, roughly.
    qsizetype heldBytes() const;

    QStringList lines() const;
    // The newest count lines, oldest first.
    QStringList lastLines(qsizetype count) const;
    // As log.txt receives it: every line followed by CR LF.
    QString text() const;

private:
    struct Block {
        QByteArray packed;
        qsizetype lines = 0;
        qsizetype chars = 0;
    };
    static QStringList unpack(const Block& block);
    void pack();
    void trim();

    qsizetype maxChars_;
    qsizetype chars_ = 0;
    QString marker_;
    qsizetype droppedLines_ = 0;
    QList<Block> blocks_;
    QStringList open_;
    qsizetype openChars_ = 0;
};
