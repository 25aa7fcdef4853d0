// The library's message texts, each written once.  The Chinese texts are the library's own; the
// English ones are the short texts of the BMP reader and writer.
#include "dib/DibMessages.h"

#include "dib/Dib.h"
#include "platform/MessageBox.h"

namespace {

const char kReadFailed[] = "读取文件失败！";
const char kNoCodeMemory[] = "分配图像解压所需内存code_stream失败！";
const char kCprReadFailed[] = "读取CPR图像文件失败！";

const DibMessage kMessages[] = {
    {DibMsg::ReadFailed, kReadFailed, MB_ICONSTOP, DIB_ERR_READ},
    {DibMsg::RawReadFailed, kReadFailed, MB_ICONSTOP, kDibKeepError},
    {DibMsg::RawTooShort, kReadFailed, MB_ICONSTOP, DIB_ERR_READ},
    {DibMsg::ReadError, "Read error", MB_OK, DIB_ERR_READ},
    {DibMsg::NotBitmap, "Invalid bitmap file", MB_OK, DIB_ERR_NOT_BMP},
    {DibMsg::BadFormat, "非法的BMP图像格式！", MB_ICONSTOP, DIB_ERR_NOT_BMP},
    {DibMsg::WriteError, "write error", MB_OK, DIB_ERR_WRITE},
    {DibMsg::InvalidDib, "Invalid DIB ", MB_OK, DIB_ERR_NOT_BMP},
    {DibMsg::NoBufMemory, "分配图像显示所需内存m_lpBuf失败！", MB_ICONSTOP, DIB_ERR_MEMORY},
    {DibMsg::NoCodeMemory, kNoCodeMemory, MB_OK, DIB_ERR_MEMORY},
    {DibMsg::NoCodeMemoryLoad, kNoCodeMemory, MB_ICONSTOP, DIB_ERR_MEMORY},
    {DibMsg::CprReadFailed, kCprReadFailed, MB_ICONSTOP, DIB_ERR_READ},
    {DibMsg::CprBadSize, kCprReadFailed, MB_ICONSTOP, DIB_ERR_MEMORY},
    {DibMsg::WriteFailed, "写文件失败！", MB_ICONSTOP, DIB_ERR_WRITE},
    {DibMsg::PngReadFailed, "读取PNG图像文件失败！", MB_ICONSTOP, DIB_ERR_READ},
    {DibMsg::JpegReadFailed, "读取JPEG图像文件失败！", MB_ICONSTOP, DIB_ERR_READ},
    {DibMsg::AlphaDropped, "图像的透明通道（alpha）未保留。", MB_ICONINFORMATION, kDibKeepError},
    // two-dimensional FFT
    {DibMsg::FftNoMemory, "内存不足！无法分配完成FFT所需的空间！", MB_ICONSTOP, DIB_ERR_MEMORY},
    {DibMsg::FftNoForward, "您尚未做过正向FFT2！", MB_ICONSTOP, DIB_ERR_NO_FFT},
    // histogram chart
    {DibMsg::ChartTooSmall, "作图区域太小！", MB_OK, kDibKeepError},
};
static_assert(sizeof kMessages / sizeof kMessages[0] == size_t(DibMsg::Count), "one row per message");

}  // namespace

const DibMessage* DibMessageTable(size_t& nCount) {
    nCount = sizeof kMessages / sizeof kMessages[0];
    return kMessages;
}

const DibMessage& GetDibMessage(DibMsg id) { return kMessages[size_t(id)]; }
