// The CPR codec written step by step, one statement per rule, without any shortcut: the yardstick
// for the fast forms in cpr/.  Tests compare streams, samples and the coder's and decoder's state
// with these; the benchmarks report speeds beside them.  The program itself never calls these.
#pragma once

#include "dib/Dib.h"

namespace literal {
// Block transform and quantisation, on the image's codec arrays.
void BuildQuantTable(CDib& dib, short nScale);
void ForwardDCT(CDib& dib);
void Quantize(CDib& dib, const WORD* lpTable);
void ZigzagScan(CDib& dib);
void UnZigzag(CDib& dib);
void Dequantize(CDib& dib);
void InverseDCT(CDib& dib);

// Entropy coding: one block from m_nZigzag, and a whole plane into code_stream.
void EncodeBlock(CDib& dib);
BOOL EncodePlane(CDib& dib, short nScale, BYTE byPlane);
// Decoding one bit at a time from m_nBitPos: one block into m_nZigzag, and a whole plane.
BYTE GetBit(CDib& dib);
WORD DecodeBlock(CDib& dib);
BOOL DecodePlane(CDib& dib, BYTE byPlane);
}  // namespace literal
