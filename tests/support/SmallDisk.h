// A folder that runs out of room as a full disk does, for what a failed save leaves.
// Two kinds: a tmpfs of the given size mounted on a scratch folder (where the test may
// mount one: root outside a sandbox that refuses it), and a scratch folder on the
// ordinary disk where, while a Full lives, no file of the process may grow past the size
// (RLIMIT_FSIZE with SIGXFSZ ignored: the write that passes it fails with EFBIG).
#pragma once
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/Scratch.h"

namespace testsupport {

class SmallDisk {
 public:
  enum Kind { TMPFS, FILE_SIZE_LIMIT };

  // A disk of `bytes`; mounted() tells whether a TMPFS could be had.
  SmallDisk(Kind kind, size_t bytes) : mBytes(bytes) {
    if (kind == TMPFS) {
      const std::string options = "size=" + std::to_string(bytes);
      mMounted = ::mount("tmpfs", mDir.dir().c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options.c_str()) == 0;
    }
  }
  ~SmallDisk() {
    if (mMounted) ::umount2(mDir.dir().c_str(), MNT_DETACH);
  }
  SmallDisk(const SmallDisk&) = delete;
  SmallDisk& operator=(const SmallDisk&) = delete;

  // The kinds this test can have: TMPFS only where it mounts.
  static std::vector<Kind> kinds() {
    SmallDisk probe(TMPFS, 1 << 16);
    if (probe.mounted()) return {TMPFS, FILE_SIZE_LIMIT};
    return {FILE_SIZE_LIMIT};
  }
  static const char* name(Kind kind) { return kind == TMPFS ? "tmpfs" : "file size limit"; }

  bool mounted() const { return mMounted; }
  std::string native(const std::string& name) const { return mDir.native(name); }
  std::u16string path(const std::string& name) const { return mDir.path(name); }
  std::u16string folder() const { return utf8ToWide(mDir.dir()); }
  // The names in the folder, sorted.
  std::vector<std::string> names() const {
    std::vector<std::string> out;
    for (const auto& e : std::filesystem::directory_iterator(mDir.dir()))
      out.push_back(e.path().filename().string());
    std::sort(out.begin(), out.end());
    return out;
  }

  // While it lives the disk is full beyond its size: the tmpfs is so already, the
  // ordinary disk takes the limit on file sizes.
  class Full {
   public:
    explicit Full(const SmallDisk& disk) : mLimited(!disk.mMounted) {
      if (!mLimited) return;
      getrlimit(RLIMIT_FSIZE, &mOld);
      mOldHandler = ::signal(SIGXFSZ, SIG_IGN);
      rlimit limit = mOld;
      limit.rlim_cur = disk.mBytes;
      setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~Full() {
      if (!mLimited) return;
      setrlimit(RLIMIT_FSIZE, &mOld);
      ::signal(SIGXFSZ, mOldHandler);
    }
    Full(const Full&) = delete;
    Full& operator=(const Full&) = delete;

   private:
    bool mLimited;
    rlimit mOld{};
    sighandler_t mOldHandler = SIG_DFL;
  };

 private:
  ScratchDir mDir;
  size_t mBytes;
  bool mMounted = false;
};

}  // namespace testsupport
