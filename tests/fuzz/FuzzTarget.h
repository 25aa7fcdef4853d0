// What the fuzz targets share.  A target is one source, fuzz_<name>.cpp, that defines the entry
// point libFuzzer calls and MakeSeeds, which writes the target's seed inputs with MORO's own
// writers; tests/fuzz/CMakeLists.txt adds it with one line.  The checks below turn every promise
// a reader makes into an abort, so a broken promise is found like a crash.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

class CDib;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace moro_fuzz {

// Defined by each target: writes its seed inputs into the existing directory dir.
void MakeSeeds(const std::string& dir);

// A file format as the checks see it.
struct Format {
    const char* lpszExt;                          // ".bmp", ".cpr", ...: names the scratch file
    bool (*read)(CDib& dib, const char* path);    // the reader under test; true on success
    bool (*write)(CDib& dib, const char* path);   // the format's own writer, or null
    bool bExact;                                  // write then read gives the same image block
};

// Puts a reader through its paces on one input: the input is written to a scratch file and read
// into an image that already holds one and into a new one.  A failed read must leave the first
// exactly as it was and the second empty, with the same error code; a successful one must give
// both the same sound image.  That image is then written with the format's own writer and read
// back, saved as BMP (which must read back identically) and as CPR (which must read back when the
// save succeeds), and copied.
void CheckReader(const uint8_t* data, size_t size, const Format& format);

// Small images of every depth the library holds, made with its own operations, with a stem that
// names each (for seed file names).
void ForEachSeedImage(const std::function<void(CDib& dib, const std::string& stem)>& use);

// This process's scratch directory (in memory where the system has such a place), removed at
// exit; and a path in it.
const std::string& ScratchDir();
std::string ScratchPath(const std::string& name);
void WriteFile(const std::string& path, const void* data, size_t size);

// Message boxes shown since the process started (they are counted, not shown).
size_t MessageCount();

// Ends the run with the broken promise on standard error.
[[noreturn]] void Fail(const char* lpszWhat, const char* lpszFile, int nLine);

}  // namespace moro_fuzz

#define MORO_FUZZ_CHECK(cond) ((cond) ? (void)0 : ::moro_fuzz::Fail(#cond, __FILE__, __LINE__))
