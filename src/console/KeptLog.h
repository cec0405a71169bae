#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

class QTemporaryFile;

// Every line of the run's log, kept for log.txt, in little memory: the newest
// lines as they are, older ones packed (compressed) in blocks that go to a
// temporary file, since a log is written far more than it is read. Where no
// temporary file can be written the blocks stay in memory. Bounded as well:
// past the limit the oldest lines go, and one marker line at the top says
// how many.
class KeptLog {
public:
    // About 64 MiB of text: a week-long session cannot eat the machine.
    static constexpr qsizetype kDefaultMaxChars = 32 * 1024 * 1024;
    // Lines stay unpacked until this many characters have gathered.
    static constexpr qsizetype kBlockChars = 64 * 1024;

    // spillFolder: where the temporary file goes (empty: the system's).
    explicit KeptLog(qsizetype maxChars = kDefaultMaxChars, const QString& spillFolder = QString());
    ~KeptLog();
    KeptLog(const KeptLog&) = delete;
    KeptLog& operator=(const KeptLog&) = delete;

    void append(const QString& line);
    void clear();
    void setMaxChars(qsizetype chars);

    qsizetype lineCount() const;
    // The characters of text(): every line and its CR LF.
    qsizetype chars() const { return chars_; }
    // What the kept text takes in memory, roughly, and in the temporary file.
    qsizetype heldBytes() const;
    qint64 spilledBytes() const { return spilledBytes_; }
    // The temporary file's path, empty while there is none. Where the system
    // can, the file has no name in the folder until this is asked.
    QString spillFileName() const;

    QStringList lines() const;
    // The newest count lines, oldest first.
    QStringList lastLines(qsizetype count) const;
    // As log.txt receives it: every line followed by CR LF.
    QString text() const;

private:
    struct Block {
        QByteArray packed;    // in memory, or
        qint64 offset = -1;   // where it is in the temporary file
        qint64 size = 0;
        qsizetype lines = 0;
        qsizetype chars = 0;
    };
    QByteArray packedOf(const Block& block) const;
    QStringList unpack(const Block& block) const;
    void pack();
    bool spill(Block& block);
    void dropFirstBlock();
    void compactSpill();
    void trim();

    QString spillFolder_;
    std::unique_ptr<QTemporaryFile> spillFile_;
    bool spillUnusable_ = false;
    qint64 spilledBytes_ = 0; // of blocks still kept
    qint64 deadBytes_ = 0;    // of blocks dropped since

    qsizetype maxChars_;
    qsizetype chars_ = 0;
    QString marker_;
    qsizetype droppedLines_ = 0;
    QList<Block> blocks_;
    QStringList open_;
    qsizetype openChars_ = 0;
};
