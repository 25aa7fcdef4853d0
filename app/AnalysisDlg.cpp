#include "app/AnalysisDlg.h"

#include "app/WindowTexts.h"
#include "security/HistChart.h"

namespace {

// A chart cell: its title's line above the chart, the level labels below, room for "256" on
// the right.
constexpr int kTitleHeight = 18, kLabelHeight = 18, kLabelRight = 32, kMargin = 8;

const char* ChannelName(const std::string& name) {
    if (name == "red") return texts::kChannelRed;
    if (name == "green") return texts::kChannelGreen;
    if (name == "blue") return texts::kChannelBlue;
    return texts::kChannelIndex;
}

}  // namespace

BEGIN_MESSAGE_MAP(CAnalysisDlg, CDialog)
    ON_WM_PAINT()
END_MESSAGE_MAP()

CAnalysisDlg::CAnalysisDlg(const AnalysisResult& result, const char* lpszImage, CWnd* pParent)
    : CDialog(res::Dialog(IDD), pParent), m_result(result), m_strImage(lpszImage ? lpszImage : "") {
    ImagePlanes plain, cipher;
    if (!result.pPlain || !result.pCipher || !GetPlanes(*result.pPlain, plain) || !GetPlanes(*result.pCipher, cipher)) return;
    for (size_t c = 0; c < plain.planes.size(); ++c) {
        for (const ImagePlanes* planes : {&plain, &cipher}) {
            auto chart = std::make_unique<CIPDib>();
            if (!PlaneChartImage(planes->planes[c], planes->nWidth, planes->nHeight, *chart)) return;
            m_charts.push_back(std::move(chart));
        }
    }
}

CAnalysisDlg::~CAnalysisDlg() = default;

BOOL CAnalysisDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    GetDlgItem(IDC_ANALYSIS_TEXT)->SetWindowText(ReportText());
    GetDlgItem(IDOK)->SetFocus();
    return FALSE;
}

CString CAnalysisDlg::ReportText() const {
    CString heading;
    heading.Format(texts::kAnalysisHeading, m_strImage.GetString(), m_result.nWidth, m_result.nHeight, m_result.nBitCount);
    return heading + "\n\n" + CString(AnalysisTable(m_result).c_str());
}

CRect CAnalysisDlg::ChartRect(int i) const {
    // One channel: the two charts side by side.  Three: a column per channel, the plain
    // image's chart above the cipher image's.
    CRect frame;
    GetDlgItem(IDC_ANALYSIS_CHARTS)->GetWindowRect(&frame);
    ScreenToClient(&frame);
    const int nChannels = int(m_charts.size()) / 2;
    const int nCols = nChannels == 1 ? 2 : nChannels, nRows = nChannels == 1 ? 1 : 2;
    const int nCol = nChannels == 1 ? i : i / 2, nRow = nChannels == 1 ? 0 : i % 2;
    const int left = frame.left + kMargin, top = frame.top + GetBaseUnits().cy + kMargin / 2;
    const int cellW = (frame.Width() - 2 * kMargin) / nCols, cellH = (frame.bottom - kMargin - top) / nRows;
    const int x = left + nCol * cellW + (cellW - 256 - kLabelRight) / 2, y = top + nRow * cellH + kTitleHeight;
    return CRect(x, y, x + 256, y + cellH - kTitleHeight - kLabelHeight);
}

void CAnalysisDlg::OnPaint() {
    CDC* pDC = GetDC();
    if (pDC) {
        CBrush white(RGB(255, 255, 255));
        for (int i = 0; i < ChartCount(); ++i) {
            const CRect rect = ChartRect(i);
            CRect back(rect.left - 2, rect.top - kTitleHeight, rect.right + kLabelRight, rect.bottom + kLabelHeight - 2);
            pDC->FillRect(&back, &white);
            const size_t c = size_t(i / 2);
            CString title;
            if (i % 2 == 0) title.Format(texts::kAnalysisPlainChart, ChannelName(m_result.channels[c]));
            else title.Format(texts::kAnalysisCipherChart, ChannelName(m_result.channels[c]), m_result.cipher[c].dChiSquare);
            pDC->SetTextColor(RGB(0, 0, 0));
            pDC->TextOut(rect.left, back.top + 1, title);
            DrawHistChart(Chart(i), pDC, rect);
        }
        ReleaseDC(pDC);
    }
    CDialog::OnPaint();
}
