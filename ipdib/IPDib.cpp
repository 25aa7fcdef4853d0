// CIPDib's record: construction, destruction and the operations that replace the whole image.
#include "ipdib/IPDib.h"

#include <cstdlib>

IMPLEMENT_DYNCREATE(CIPDib, CDib)

CIPDib::CIPDib()
    : m_dHistMax(0),
      m_bHistValid(0),
      m_nHistPeak(0),
      m_bGrayed(0),
      m_bColorHistValid(0),
      m_nBorderMode(1),
      m_bNoFlipKernel(1),
      m_pFftRe(nullptr),
      m_pFftIm(nullptr),
      m_pWaveHiD(nullptr),
      m_pWaveLoD(nullptr),
      m_pWaveHiR(nullptr),
      m_pWaveLoR(nullptr) {}

CIPDib::~CIPDib() {
    free(m_pFftRe);
    free(m_pFftIm);
    free(m_pWaveLoD);
    free(m_pWaveHiD);
    free(m_pWaveLoR);
    free(m_pWaveHiR);
}

void CIPDib::Copy(const CDib& source) {
    CDib::Copy(source);
    ForgetAnalysis();
}

void CIPDib::CopyFrom(const CDib& source) {
    CDib::CopyFrom(source);
    ForgetAnalysis();
}

void CIPDib::CopyRect(const CDib& source, const CRect& rect) {
    CDib::CopyRect(source, rect);
    ForgetAnalysis();
}

BOOL CIPDib::LoadBmp(const char* lpszPath) {
    if (CDib::LoadBmp(lpszPath) != 1) return 0;
    ForgetAnalysis();
    return 1;
}

BOOL CIPDib::LoadRaw(const char* lpszPath, int nNoHeader) {
    if (CDib::LoadRaw(lpszPath, nNoHeader) != 1) return 0;
    ForgetAnalysis();
    return 1;
}

BOOL CIPDib::LoadCpr(const char* lpszPath) {
    if (CDib::LoadCpr(lpszPath) != 1) return 0;
    ForgetAnalysis();
    return 1;
}
