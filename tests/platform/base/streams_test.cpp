#include "platform/base/streams.h"

#include <cstring>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "tests/support/temp_dir.h"

namespace {
std::string Bytes(int n) {
    std::string s(static_cast<size_t>(n), '\0');
    for (int i = 0; i < n; ++i)
        s[static_cast<size_t>(i)] = static_cast<char>((i * 7 + i / 251) & 0xFF);
    return s;
}

std::string ReadAll(TStream& s) {
    s.SetPosition(0);
    std::string out(static_cast<size_t>(s.Size()), '\0');
    s.ReadBuffer(out.data(), static_cast<int64_t>(out.size()));
    return out;
}
} // namespace

TEST(MemoryStream, WriteSeekRead) {
    TMemoryStream m;
    m.WriteString("hello world");
    EXPECT_EQ(m.Size(), 11);
    EXPECT_EQ(m.Position(), 11);
    EXPECT_EQ(m.Seek(-5, soEnd), 6);
    char buf[16] = {};
    EXPECT_EQ(m.Read(buf, 5), 5);
    EXPECT_STREQ(buf, "world");
    EXPECT_EQ(m.Seek(-11, soCurrent), 0);
    m.WriteString("J");
    EXPECT_EQ(m.DataString(), "Jello world");
}

TEST(MemoryStream, ReadPastEndIsShortThenEmpty) {
    TMemoryStream m;
    m.WriteString("abc");
    m.SetPosition(1);
    char buf[8] = {};
    EXPECT_EQ(m.Read(buf, 8), 2);
    EXPECT_EQ(m.Read(buf, 8), 0);
    m.SetPosition(10); // beyond the end
    EXPECT_EQ(m.Read(buf, 1), 0);
    m.SetPosition(2);
    EXPECT_THROW(m.ReadBuffer(buf, 2), EStreamError);
}

TEST(MemoryStream, WriteBeyondEndFillsWithZeros) {
    TMemoryStream m;
    m.WriteString("ab");
    m.Seek(3, soCurrent);
    m.WriteString("z");
    EXPECT_EQ(m.DataString(), std::string("ab\0\0\0z", 6));
}

TEST(MemoryStream, SeekBeforeStartIsRefused) {
    TMemoryStream m;
    m.WriteString("abcd");
    m.SetPosition(2);
    EXPECT_EQ(m.Seek(-3, soCurrent), -1);
    EXPECT_EQ(m.Position(), 2);
    EXPECT_EQ(m.Seek(-5, soEnd), -1);
    EXPECT_EQ(m.Position(), 2);
}

TEST(MemoryStream, SetSizeClampsPosition) {
    TMemoryStream m;
    m.WriteString("abcdef");
    m.SetSize(2);
    EXPECT_EQ(m.Position(), 2);
    EXPECT_EQ(m.DataString(), "ab");
    m.SetSize(4);
    EXPECT_EQ(m.DataString(), std::string("ab\0\0", 4));
    m.Clear();
    EXPECT_EQ(m.Size(), 0);
    EXPECT_EQ(m.Position(), 0);
}

TEST(StreamCopy, ZeroCountCopiesTheWholeSourceFromItsStart) {
    TMemoryStream src;
    src.WriteString("0123456789");
    src.SetPosition(7);
    TMemoryStream dst;
    dst.WriteString(">");
    EXPECT_EQ(dst.CopyFrom(src, 0), 10);
    EXPECT_EQ(dst.DataString(), ">0123456789");
    EXPECT_EQ(src.Position(), 10);
}

TEST(StreamCopy, CountCopiesFromTheCurrentPosition) {
    TMemoryStream src;
    src.WriteString("0123456789");
    src.SetPosition(3);
    TMemoryStream dst;
    EXPECT_EQ(dst.CopyFrom(src, 4), 4);
    EXPECT_EQ(dst.DataString(), "3456");
    EXPECT_EQ(src.Position(), 7);
}

TEST(StreamCopy, ShortSourceRaises) {
    TMemoryStream src;
    src.WriteString("0123");
    src.SetPosition(2);
    TMemoryStream dst;
    EXPECT_THROW(dst.CopyFrom(src, 3), EStreamError);
}

TEST(StreamCopy, LargeCopiesBetweenMemoryAndFile) {
    folio_test::TempDir dir;
    const std::string data = Bytes(300000); // several copy chunks and a partial one
    TMemoryStream src;
    src.WriteString(data);
    {
        TFileStream file(dir / "big.bin", fmCreate);
        EXPECT_EQ(file.CopyFrom(src, 0), 300000);
        EXPECT_EQ(file.Size(), 300000);
    }
    TFileStream file(dir / "big.bin", fmOpenRead);
    TMemoryStream back;
    back.CopyFrom(file, 0);
    EXPECT_EQ(back.DataString(), data);
}

TEST(FileStream, CreateWriteReopenRead) {
    folio_test::TempDir dir;
    const std::string path = dir / "f.bin";
    {
        TFileStream f(path, fmCreate);
        f.WriteString("abcdef");
        EXPECT_EQ(f.Position(), 6);
        EXPECT_EQ(f.Seek(2, soBeginning), 2);
        f.WriteString("XY");
        EXPECT_EQ(f.FileName(), path);
    }
    TFileStream f(path, fmOpenRead | fmShareDenyWrite);
    EXPECT_EQ(f.Size(), 6);
    EXPECT_EQ(ReadAll(f), "abXYef");
    char c;
    EXPECT_EQ(f.Read(&c, 1), 0); // at the end
    EXPECT_THROW(f.ReadBuffer(&c, 1), EStreamError);
    // A read-only stream cannot write.
    EXPECT_THROW(f.WriteBuffer("z", 1), EStreamError);
}

TEST(FileStream, ReadWriteModeAndSetSize) {
    folio_test::TempDir dir;
    const std::string path = dir / "rw.bin";
    TMemoryStream seed;
    seed.WriteString("0123456789");
    seed.SaveToFile(path);
    TFileStream f(path, fmOpenReadWrite);
    f.Seek(0, soEnd);
    f.WriteString("AB");
    f.SetSize(4);
    EXPECT_EQ(f.Size(), 4);
    EXPECT_EQ(ReadAll(f), "0123");
}

TEST(FileStream, CreateTruncates) {
    folio_test::TempDir dir;
    const std::string path = dir / "t.bin";
    {
        TFileStream f(path, fmCreate);
        f.WriteString("long old content");
    }
    TFileStream f(path, fmCreate);
    EXPECT_EQ(f.Size(), 0);
}

TEST(FileStream, OpenFailuresNameTheFile) {
    folio_test::TempDir dir;
    const std::string missing = dir / "missing.bin";
    try {
        TFileStream f(missing, fmOpenRead);
        FAIL() << "opened a missing file";
    } catch (const EFOpenError& e) {
        EXPECT_EQ(e.Message(), "Cannot open file " + missing);
    }
    const std::string bad = dir / "no/dir/x.bin";
    try {
        TFileStream f(bad, fmCreate);
        FAIL() << "created in a missing directory";
    } catch (const EFCreateError& e) {
        EXPECT_EQ(e.Message(), "Cannot create file " + bad);
    }
    // A directory opens on Linux but is no file to stream.
    EXPECT_THROW(TFileStream(dir.Path(), fmOpenRead), EFOpenError);
}

TEST(FileStream, ExclusiveOpenFailsWhileHeldAndSucceedsAfter) {
    folio_test::TempDir dir;
    const std::string path = dir / "lock.bin";
    {
        TFileStream held(path, fmCreate | fmShareExclusive);
        held.WriteString("kept");
        EXPECT_THROW(TFileStream(path, fmOpenReadWrite | fmShareExclusive), EFOpenError);
        EXPECT_THROW(TFileStream(path, fmOpenRead | fmShareDenyWrite), EFOpenError);
        // A refused create must not truncate the file the holder is writing.
        EXPECT_THROW(TFileStream(path, fmCreate | fmShareExclusive), EFCreateError);
        struct stat st;
        ASSERT_EQ(::stat(path.c_str(), &st), 0);
        EXPECT_EQ(st.st_size, 4);
        // Opens that ask for no sharing rule still work.
        TFileStream plain(path, fmOpenRead | fmShareDenyNone);
        EXPECT_EQ(plain.Size(), 4);
    }
    TFileStream again(path, fmOpenReadWrite | fmShareExclusive);
    EXPECT_EQ(ReadAll(again), "kept");
}

TEST(FileStream, DenyWriteOpensShareWithEachOther) {
    folio_test::TempDir dir;
    const std::string path = dir / "shared.bin";
    TMemoryStream seed;
    seed.WriteString("x");
    seed.SaveToFile(path);
    TFileStream a(path, fmOpenRead | fmShareDenyWrite);
    TFileStream b(path, fmOpenRead | fmShareDenyWrite);
    EXPECT_THROW(TFileStream(path, fmOpenReadWrite | fmShareExclusive), EFOpenError);
}

TEST(MemoryStream, FileRoundTrip) {
    folio_test::TempDir dir;
    TMemoryStream m;
    m.WriteString(Bytes(1000));
    m.SaveToFile(dir / "m.bin");
    TMemoryStream back;
    back.WriteString("old");
    back.LoadFromFile(dir / "m.bin");
    EXPECT_EQ(back.Position(), 0);
    EXPECT_EQ(back.DataString(), Bytes(1000));
    EXPECT_THROW(back.LoadFromFile(dir / "none"), EFOpenError);
}
