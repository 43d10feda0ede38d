#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstring>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include "os/UserFiles.h"

namespace veltra {
namespace {

using Outcome = FileRead::Outcome;

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

mode_t modeOf(const QString& path) {
    struct stat st {};
    ::lstat(QFile::encodeName(path).constData(), &st);
    return st.st_mode;
}

TEST(ReadUserFile, OnlyARegularFileWithinTheBoundIsReadAndNothingWaits) {
    QTemporaryDir dir;
    writeBytes(dir.filePath("file"), "abc");
    QFile::link(dir.filePath("file"), dir.filePath("link"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir.filePath("fifo")).constData(), 0600), 0);
    QFile::link("/dev/zero", dir.filePath("zero"));
    QDir(dir.path()).mkdir("folder");
    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray socketPath = QFile::encodeName(dir.filePath("socket"));
    std::strncpy(address.sun_path, socketPath.constData(), sizeof address.sun_path - 1);
    ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    QFile sparse(dir.filePath("sparse"));
    ASSERT_TRUE(sparse.open(QIODevice::WriteOnly) && sparse.resize(101));
    sparse.close();

    struct Case {
        const char* name;
        qint64 limit;
        ReadPart part;
        Outcome outcome;
        qsizetype bytes;
    };
    const Case cases[] = {
        {"file", 3, ReadPart::Whole, Outcome::Read, 3},   {"link", 100, ReadPart::Whole, Outcome::Read, 3},
        {"fifo", 100, ReadPart::Whole, Outcome::NotRegular, 0}, {"zero", 100, ReadPart::Whole, Outcome::NotRegular, 0},
        {"folder", 100, ReadPart::Whole, Outcome::NotRegular, 0}, {"socket", 100, ReadPart::Whole, Outcome::Failed, 0},
        {"sparse", 100, ReadPart::Whole, Outcome::TooLarge, 0}, {"sparse", 101, ReadPart::Whole, Outcome::Read, 101},
        {"sparse", 10, ReadPart::Tail, Outcome::Read, 10},      {"missing", 100, ReadPart::Whole, Outcome::Missing, 0},
    };
    for (const Case& c : cases) {
        const FileRead read = readUserFile(dir.filePath(c.name), c.limit, c.part);
        EXPECT_EQ(read.outcome, c.outcome) << c.name << " " << c.limit;
        EXPECT_EQ(read.bytes.size(), c.bytes) << c.name << " " << c.limit;
    }
    ::close(sock);
}

TEST(WriteStateFile, ReplacesTheEntryItselfForTheUserAloneAndNeverWritesThroughALink) {
    QTemporaryDir dir;
    const QString folder = dir.filePath("state/veltra");
    ASSERT_TRUE(makeStateFolder(folder + "/"));
    EXPECT_EQ(modeOf(folder) & 07777, 0700u);
    const QString target = dir.filePath("someone-elses-file");
    writeBytes(target, "keep me");
    const struct {
        const char* name;
        QString linkTo; // empty: a plain file, or nothing
    } cases[] = {{"new", {}}, {"to-a-file", target}, {"to-nowhere", dir.filePath("nowhere")}};
    for (const auto& c : cases) {
        const QString path = folder + "/" + c.name;
        if (!c.linkTo.isEmpty()) QFile::link(c.linkTo, path);
        ASSERT_TRUE(writeStateFile(path, "новое")) << c.name;
        EXPECT_TRUE(S_ISREG(modeOf(path))) << c.name;
        EXPECT_EQ(modeOf(path) & 07777, 0600u) << c.name;
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), "новое") << c.name;
    }
    QFile kept(target);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), "keep me");
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("nowhere")));
    EXPECT_EQ(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size(), 3);

    // A folder that was open to others is the user's alone once used.
    QDir(dir.path()).mkdir("open");
    ::chmod(QFile::encodeName(dir.filePath("open")).constData(), 0755);
    ASSERT_TRUE(makeStateFolder(dir.filePath("open")));
    EXPECT_EQ(modeOf(dir.filePath("open")) & 07777, 0700u);
}

} // namespace
} // namespace veltra
