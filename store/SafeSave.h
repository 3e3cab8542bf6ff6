// The one way a whole file is saved: written as a new file beside the file it replaces,
// flushed to the disk, and only then put in its place. Until then the old file stays
// byte for byte, and a save that fails at any step leaves it so and removes the new file.
#pragma once
#include <cstdio>
#include <string>

class SafeSave {
 public:
  // Makes the new file in the target's folder, under a name that no file there has (it is
  // created exclusively, so a user's file is never taken). A target that is a symbolic
  // link stands for the file it names, which is written beside and replaced, so the link
  // stays. A target that exists but is no regular file (a device, a pipe) is opened and
  // written directly: there is no file to lose nor one to replace. file() is null when
  // nothing can be written: the folder is missing or refuses a new file, the target is a
  // folder, or a file this program may not write.
  explicit SafeSave(const std::u16string& target);
  // Without a successful commit() the new file is removed; the target is as it was.
  ~SafeSave();
  SafeSave(const SafeSave&) = delete;
  SafeSave& operator=(const SafeSave&) = delete;

  // The stream of the new file, opened for binary writing; null as above.
  FILE* file() const { return mFile; }
  explicit operator bool() const { return mFile != nullptr || mHandedOver; }
  // For a writer that opens a path itself: closes the stream, and newPath() is then the
  // file that writer is to write (it already exists, empty).
  void handOver();
  const std::u16string& newPath() const { return mDirect ? mTarget : mNew; }

  // Flushes the new file to the disk, closes it and puts it in the target's place, with
  // the target's permissions when the target exists. True when every step succeeded;
  // otherwise the new file is removed and the target is as it was. Once only.
  bool commit();
  // Removes the new file now; the target stays as it was.
  void discard();

 private:
  bool closeNew();

  std::u16string mTarget;  // the file to replace, links followed
  std::u16string mNew;     // the new file beside it; empty once it is gone or in place
  FILE* mFile = nullptr;
  bool mHandedOver = false;  // the new file is written by a writer taking its path
  bool mDirect = false;      // the target itself is written (no regular file)
};
