#include "platform/FileIo.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <thread>
#include <vector>

#include "platform/user/Window.h"
#include "tests/support/Scratch.h"

namespace {

TEST(FileIo, ChinesePathsAndMoveRefusingAnExistingTarget) {
  testsupport::ScratchDir scratch;
  std::u16string dir = scratch.path("子目录");
  ASSERT_TRUE(CreateDirectoryW(dir.c_str(), nullptr));
  std::u16string a = dir + u"/表格.csv", b = dir + u"/b.csv";
  FILE* f = _wfopen(a.c_str(), u"wb");
  ASSERT_NE(f, nullptr);
  fputs("x,y\n", f);
  ASSERT_EQ(_fseeki64(f, 0, SEEK_END), 0);
  EXPECT_EQ(_ftelli64(f), 4);
  fclose(f);
  EXPECT_TRUE(fileExists(a));
  EXPECT_TRUE(CopyFileW(a.c_str(), b.c_str(), TRUE));
  EXPECT_FALSE(CopyFileW(a.c_str(), b.c_str(), TRUE));
  EXPECT_FALSE(MoveFileW(a.c_str(), b.c_str()));
  EXPECT_TRUE(DeleteFileW(b.c_str()));
  EXPECT_TRUE(MoveFileW(a.c_str(), b.c_str()));
  EXPECT_FALSE(fileExists(a));
  EXPECT_TRUE(DeleteFileW(b.c_str()));
  EXPECT_FALSE(DeleteFileW(dir.c_str())) << "a folder is not a file";
  EXPECT_TRUE(isDirectory(dir));
}

using testsupport::ScratchDir;

// Only regular files count, a link to one included; nothing is opened to tell (a named
// pipe's open would wait for a writer).
TEST(FileIo, RegularFilesAreTheOnlyRegularFiles) {
  ScratchDir dir;
  testsupport::writeBytes(dir.native("file"), "x");
  ASSERT_EQ(::symlink(dir.native("file").c_str(), dir.native("link").c_str()), 0);
  ASSERT_EQ(::mkfifo(dir.native("pipe").c_str(), 0600), 0);
  const struct {
    std::string path;
    bool regular;
  } cases[] = {{dir.native("file"), true}, {dir.native("link"), true}, {dir.native("pipe"), false},
               {dir.dir(), false},         {"/dev/null", false},       {dir.native("missing"), false}};
  for (const auto& c : cases) EXPECT_EQ(isRegularFile(utf8ToWide(c.path)), c.regular) << c.path;
}

// A file copied onto itself, by its own name or through "." and a link, fails and keeps
// its bytes; a copy over another file still replaces it.
TEST(FileIo, CopyOntoItselfFailsAndKeepsTheFile) {
  ScratchDir dir;
  testsupport::writeBytes(dir.native("a.py"), "print(1)\n");
  ASSERT_EQ(::symlink(dir.native("a.py").c_str(), dir.native("link.py").c_str()), 0);
  const std::u16string a = dir.path("a.py");
  for (const std::u16string& to : {a, dir.path("./a.py"), dir.path("link.py")}) {
    SetLastError(0);
    EXPECT_FALSE(CopyFileW(a.c_str(), to.c_str(), FALSE));
    EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
    EXPECT_EQ(testsupport::readBytes(dir.native("a.py")), "print(1)\n");
  }
  testsupport::writeBytes(dir.native("b.py"), "a much longer old text\n");
  EXPECT_TRUE(CopyFileW(a.c_str(), dir.path("b.py").c_str(), FALSE));
  EXPECT_EQ(testsupport::readBytes(dir.native("b.py")), "print(1)\n");
}

HANDLE handleOf(FILE* f) { return reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(f))); }

OVERLAPPED at(uint64_t offset) {
  OVERLAPPED o;
  o.Offset = DWORD(offset);
  o.OffsetHigh = DWORD(offset >> 32);
  return o;
}

// Reads at an offset leave the file pointer after the bytes read; at the end of the
// file a read at an offset fails with ERROR_HANDLE_EOF, a read at the pointer gives 0.
TEST(FileHandles, ReadAtOffsetsAndAtThePointer) {
  ScratchDir dir;
  testsupport::writeBytes(dir.native("r.bin"), "0123456789");
  FILE* f = _wfopen(dir.path("r.bin").c_str(), u"rb");
  ASSERT_NE(f, nullptr);
  const HANDLE h = handleOf(f);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  char buf[16] = {};
  DWORD got = 99;
  OVERLAPPED o = at(6);
  ASSERT_TRUE(ReadFile(h, buf, 3, &got, &o));
  EXPECT_EQ(std::string(buf, got), "678");
  ASSERT_TRUE(ReadFile(h, buf, 16, &got, nullptr)) << "goes on after the bytes read at 6";
  EXPECT_EQ(std::string(buf, got), "9");
  ASSERT_TRUE(ReadFile(h, buf, 16, &got, nullptr));
  EXPECT_EQ(got, 0u);
  o = at(10);
  EXPECT_FALSE(ReadFile(h, buf, 4, &got, &o));
  EXPECT_EQ(GetLastError(), ERROR_HANDLE_EOF);
  EXPECT_EQ(got, 0u);
  o = at(uint64_t(1) << 33);  // beyond 4 GiB: the high half counts
  EXPECT_FALSE(ReadFile(h, buf, 4, &got, &o));
  std::fclose(f);
  EXPECT_EQ(_get_osfhandle(-1), reinterpret_cast<intptr_t>(INVALID_HANDLE_VALUE));
  EXPECT_FALSE(ReadFile(INVALID_HANDLE_VALUE, buf, 1, &got, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

// Sizes of files only; SetEndOfFile cuts and extends at the pointer.
TEST(FileHandles, SizeAndEndOfFile) {
  ScratchDir dir;
  testsupport::writeBytes(dir.native("s.bin"), "abcdefgh");
  FILE* f = _wfopen(dir.path("s.bin").c_str(), u"r+b");
  ASSERT_NE(f, nullptr);
  const HANDLE h = handleOf(f);
  LARGE_INTEGER size{}, pos{}, where{};
  ASSERT_TRUE(GetFileSizeEx(h, &size));
  EXPECT_EQ(size.QuadPart, 8);
  where.QuadPart = 3;
  ASSERT_TRUE(SetFilePointerEx(h, where, &pos, FILE_BEGIN));
  EXPECT_EQ(pos.QuadPart, 3);
  ASSERT_TRUE(SetEndOfFile(h));
  ASSERT_TRUE(GetFileSizeEx(h, &size));
  EXPECT_EQ(size.QuadPart, 3);
  where.QuadPart = 2;
  ASSERT_TRUE(SetFilePointerEx(h, where, &pos, FILE_END));
  EXPECT_EQ(pos.QuadPart, 5);
  ASSERT_TRUE(SetEndOfFile(h));
  where.QuadPart = -9;
  EXPECT_FALSE(SetFilePointerEx(h, where, nullptr, FILE_CURRENT)) << "before the start";
  std::fclose(f);
  EXPECT_EQ(testsupport::readBytes(dir.native("s.bin")), std::string("abc\0\0", 5));

  FILE* folder = std::fopen(dir.dir().c_str(), "rb");  // a folder opens for reading here
  ASSERT_NE(folder, nullptr);
  EXPECT_FALSE(GetFileSizeEx(handleOf(folder), &size));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_FUNCTION);
  std::fclose(folder);
}

// MoveFileExW replaces a file only when asked, never a folder; ReplaceFileW gives the
// replacement the replaced file's permissions (and owner) and needs the replaced file to
// exist.
TEST(FileHandles, MoveReplaceAndAttributes) {
  ScratchDir dir;
  const std::u16string a = dir.path("a"), b = dir.path("b"), c = dir.path("c"), sub = dir.path("子");
  testsupport::writeBytes(dir.native("a"), "A");
  testsupport::writeBytes(dir.native("b"), "B");
  ASSERT_TRUE(CreateDirectoryW(sub.c_str(), nullptr));
  EXPECT_FALSE(MoveFileExW(a.c_str(), b.c_str(), 0));
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
  EXPECT_FALSE(MoveFileExW(a.c_str(), sub.c_str(), MOVEFILE_REPLACE_EXISTING));
  ASSERT_TRUE(MoveFileExW(a.c_str(), b.c_str(), MOVEFILE_REPLACE_EXISTING));
  EXPECT_EQ(testsupport::readBytes(dir.native("b")), "A");
  EXPECT_EQ(GetFileAttributesW(a.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);

  testsupport::writeBytes(dir.native("c"), "C");
  ASSERT_EQ(chmod(dir.native("b").c_str(), 0640), 0);
  // Root may give the replaced file away: the replacement then takes its owner as well.
  const bool root = geteuid() == 0 && chown(dir.native("b").c_str(), 4321, 4322) == 0;
  ASSERT_TRUE(ReplaceFileW(b.c_str(), c.c_str(), nullptr, 0, nullptr, nullptr));
  struct stat st;
  ASSERT_EQ(stat(dir.native("b").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  if (root) {
    EXPECT_EQ(st.st_uid, 4321u);
    EXPECT_EQ(st.st_gid, 4322u);
  }
  EXPECT_EQ(testsupport::readBytes(dir.native("b")), "C");
  testsupport::writeBytes(dir.native("c"), "C2");
  EXPECT_FALSE(ReplaceFileW(a.c_str(), c.c_str(), nullptr, 0, nullptr, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(testsupport::readBytes(dir.native("c")), "C2") << "nothing changes";

  EXPECT_EQ(GetFileAttributesW(sub.c_str()), FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_EQ(GetFileAttributesW(b.c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
}

// Attribute data: size and write time as the file system keeps them (to the
// nanosecond's hundreds), a folder's size 0, failures named.
TEST(FileHandles, AttributeDataGivesSizeAndWriteTime) {
  testsupport::ScratchDir dir;
  const std::u16string a = dir.path("a.txt");
  testsupport::writeBytes(dir.native("a.txt"), std::string(5000000, 'x'));
  struct timespec times[2] = {{0, UTIME_OMIT}, {1700000000, 123456789}};
  ASSERT_EQ(utimensat(AT_FDCWD, dir.native("a.txt").c_str(), times, 0), 0);
  WIN32_FILE_ATTRIBUTE_DATA d{};
  ASSERT_TRUE(GetFileAttributesExW(a.c_str(), GetFileExInfoStandard, &d));
  EXPECT_EQ(d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY, 0u);
  EXPECT_EQ((uint64_t{d.nFileSizeHigh} << 32) | d.nFileSizeLow, 5000000u);
  const uint64_t ticks = (uint64_t{d.ftLastWriteTime.dwHighDateTime} << 32) | d.ftLastWriteTime.dwLowDateTime;
  EXPECT_EQ(ticks, (1700000000ULL + 11644473600ULL) * 10000000ULL + 1234567) << "100 ns units since 1601";

  ASSERT_TRUE(GetFileAttributesExW(utf8ToWide(dir.dir()).c_str(), GetFileExInfoStandard, &d));
  EXPECT_EQ(d.dwFileAttributes, FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_EQ(d.nFileSizeLow | d.nFileSizeHigh, 0u);
  EXPECT_FALSE(GetFileAttributesExW(dir.path("missing").c_str(), GetFileExInfoStandard, &d));
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(GetFileAttributesExW(a.c_str(), static_cast<GET_FILEEX_INFO_LEVELS>(1), &d));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

// Pages: committed pages are zero and writable; a placement fails where pages are in
// use and succeeds on a free range; MEM_RELEASE takes the whole allocation.
TEST(VirtualMemory, ReserveCommitPlaceAndRelease) {
  constexpr size_t kSize = size_t(1) << 20;
  auto* p = static_cast<unsigned char*>(VirtualAlloc(nullptr, kSize, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(p) % 65536, 0u);
  EXPECT_EQ(p[0] | p[kSize - 1], 0);
  p[kSize - 1] = 7;
  EXPECT_EQ(VirtualAlloc(p, kSize, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE), nullptr) << "in use";
  EXPECT_EQ(GetLastError(), ERROR_INVALID_ADDRESS);
  EXPECT_FALSE(VirtualFree(p + 4096, 0, MEM_RELEASE)) << "not the start of an allocation";
  EXPECT_FALSE(VirtualFree(p, kSize, MEM_RELEASE)) << "MEM_RELEASE takes size 0";
  ASSERT_TRUE(VirtualFree(p, 0, MEM_RELEASE));
  void* again = VirtualAlloc(p, kSize, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
  ASSERT_EQ(again, p) << "the freed range can be placed at";
  EXPECT_EQ(p[kSize - 1], 0) << "fresh pages";
  EXPECT_TRUE(VirtualFree(again, 0, MEM_RELEASE));
  EXPECT_FALSE(VirtualFree(again, 0, MEM_RELEASE));
  EXPECT_EQ(VirtualAlloc(nullptr, kSize, MEM_RESERVE, 0x40), nullptr) << "an unsupported protection";
}

// Large pages: the allocation starts on a large-page boundary, its size rounds up to
// whole large pages, the pages are zero and writable whether or not the system gave
// large pages, and a reservation alone cannot ask for them.
TEST(VirtualMemory, LargePagesAreAlignedZeroAndWritableWhereverTheSystemHasThem) {
  const size_t large = GetLargePageMinimum();
  ASSERT_EQ(large, size_t(2) << 20);
  for (size_t size : {size_t(1), large, large + 4096, 3 * large}) {
    SCOPED_TRACE(size);
    auto* p = static_cast<unsigned char*>(
        VirtualAlloc(nullptr, size, MEM_RESERVE | MEM_COMMIT | MEM_LARGE_PAGES, PAGE_READWRITE));
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(p) % large, 0u);
    const size_t rounded = (size + large - 1) / large * large;
    EXPECT_EQ(p[0] | p[rounded - 1], 0);
    p[rounded - 1] = 7;  // the whole rounded size is the allocation's
    EXPECT_EQ(VirtualAlloc(p + rounded - 1, 1, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE), nullptr) << "in use";
    EXPECT_TRUE(VirtualFree(p, 0, MEM_RELEASE));
  }
  EXPECT_EQ(VirtualAlloc(nullptr, large, MEM_RESERVE | MEM_LARGE_PAGES, PAGE_NOACCESS), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

// An asked alignment holds for threads that ask at once (each gets its own block,
// none fails because another took its place), with and without large pages; what
// the call cannot do is refused.
TEST(VirtualMemory, AlignedBlocksForManyThreadsAtOnce) {
  constexpr size_t kAlign = size_t(4) << 20;
  constexpr int kThreads = 8, kEach = 16;
  for (DWORD pages : {DWORD{0}, MEM_LARGE_PAGES}) {
    std::vector<std::vector<unsigned char*>> got(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
      threads.emplace_back([&, t] {
        MEM_ADDRESS_REQUIREMENTS needs{nullptr, nullptr, kAlign};
        MEM_EXTENDED_PARAMETER parameter{};
        parameter.Type = MemExtendedParameterAddressRequirements;
        parameter.Pointer = &needs;
        for (int i = 0; i < kEach; ++i) {
          got[t].push_back(static_cast<unsigned char*>(VirtualAlloc2(
              nullptr, nullptr, kAlign, MEM_RESERVE | MEM_COMMIT | pages, PAGE_READWRITE, &parameter, 1)));
        }
      });
    }
    for (std::thread& t : threads) t.join();
    for (const auto& blocks : got) {
      for (unsigned char* p : blocks) {
        ASSERT_NE(p, nullptr) << "large pages " << (pages != 0);
        EXPECT_EQ(reinterpret_cast<uintptr_t>(p) % kAlign, 0u);
        EXPECT_EQ(p[0] | p[kAlign - 1], 0);
        EXPECT_TRUE(VirtualFree(p, 0, MEM_RELEASE));
      }
    }
  }
  MEM_ADDRESS_REQUIREMENTS odd{nullptr, nullptr, (size_t(3) << 20)};
  MEM_EXTENDED_PARAMETER parameter{};
  parameter.Type = MemExtendedParameterAddressRequirements;
  parameter.Pointer = &odd;
  EXPECT_EQ(VirtualAlloc2(nullptr, nullptr, kAlign, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE, &parameter, 1),
            nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  parameter.Type = MemExtendedParameterInvalidType;
  EXPECT_EQ(VirtualAlloc2(nullptr, nullptr, kAlign, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE, &parameter, 1),
            nullptr);
}

}  // namespace
