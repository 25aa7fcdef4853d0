// BMP files and archives.
#include "dib/Dib.h"

void CDib::Serialize(CArchive& ar) {
    // Filled in with the BMP reader and writer.
    (void)ar;
}
