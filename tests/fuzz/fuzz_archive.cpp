// Archives: an image stored and loaded through CDib::Serialize.
#include "dib/Dib.h"
#include "tests/fuzz/FuzzTarget.h"

namespace {

// Serialize reports a failure only by its message (and, without a heap, by the code alone).
bool Read(CDib& dib, const char* path) {
    CFile file;
    if (!file.Open(path, CFile::modeRead)) return false;
    size_t nMessages = moro_fuzz::MessageCount();
    int nError = dib.m_nError;
    CArchive ar(&file, CArchive::load);
    dib.Serialize(ar);
    return moro_fuzz::MessageCount() == nMessages && dib.m_nError == nError;
}

bool Write(CDib& dib, const char* path) {
    CFile file;
    if (!file.Open(path, CFile::modeCreate | CFile::modeWrite)) return false;
    CArchive ar(&file, CArchive::store);
    dib.Serialize(ar);
    ar.Close();
    return true;
}

const moro_fuzz::Format kArchive = {".arc", Read, Write, true};

}  // namespace

void moro_fuzz::MakeSeeds(const std::string& dir) {
    ForEachSeedImage([&](CDib& dib, const std::string& stem) { Write(dib, (dir + "/" + stem + ".arc").c_str()); });
    CDib empty;
    Write(empty, (dir + "/empty.arc").c_str());
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    moro_fuzz::CheckReader(data, size, kArchive);
    return 0;
}
