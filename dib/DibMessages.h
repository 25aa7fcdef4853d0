// The image library's messages: every text a failing operation shows, with its message-box style
// and the code it leaves in m_nError.  One table, so that each text is written once and every
// operation fails the same way (CDib::ReportError).
#pragma once

#include <cstddef>

#include "platform/Types.h"

// m_nError is left as it was: a few failures show a message and keep the earlier code.
constexpr int kDibKeepError = -1;

enum class DibMsg {
    ReadFailed,         // a file exception while reading a BMP file
    RawReadFailed,      // the same text when reading a raw file; the code is kept
    RawTooShort,        // the same text for a raw file far shorter than its header claims
    ReadError,          // a BMP file or archive delivers fewer bytes than it says
    NotBitmap,          // no "BM" signature, or a file whose parts do not fit in it
    BadFormat,          // a BMP format the library does not hold
    WriteError,         // a file exception while writing a BMP file or archive
    InvalidDib,         // an archive whose image does not start with "BM"
    NoBufMemory,        // the image block cannot be allocated
    NoCodeMemory,       // the code-stream buffer cannot be allocated, while making an image
    NoCodeMemoryLoad,   // the same while loading a CPR file (with the stop icon)
    CprReadFailed,      // a CPR file cannot be read or cannot be right
    CprBadSize,         // a CPR header whose image size cannot be made
    WriteFailed,        // a file exception while writing a raw or PNG file
    PngReadFailed,      // a PNG file is damaged or cannot be right
    JpegReadFailed,     // a JPEG file is damaged or cannot be right
    AlphaDropped,       // a notice: the file's transparency was not kept
    // two-dimensional FFT
    FftNoMemory,        // the spectrum or the FFT's scratch arrays cannot be allocated
    FftNoForward,       // an inverse FFT asked for before any forward one
    // histogram chart
    ChartTooSmall,      // the rectangle is narrower than the chart's 256 levels
    Count
};

struct DibMessage {
    DibMsg id;
    const char* lpszText;
    UINT nStyle;  // AfxMessageBox style: MB_OK, MB_ICONSTOP, or MB_ICONINFORMATION for a notice
    int nError;   // stored in m_nError, or kDibKeepError
};

// The whole table, in DibMsg order; nCount receives its length.
const DibMessage* DibMessageTable(size_t& nCount);
const DibMessage& GetDibMessage(DibMsg id);
