// The security-analysis dialog: the histogram charts of the loaded and the encrypted image
// (the image library's own chart), and under them the table of moro-cli analyse with the key's
// diagnosis, from the same code.
#pragma once

#include <memory>
#include <vector>

#include "ipdib/IPDib.h"
#include "platform/ui/Dialog.h"
#include "res/Resource.h"
#include "security/Analysis.h"

class CAnalysisDlg : public CDialog {
public:
    enum { IDD = IDD_ANALYSIS };
    // A finished analysis, which must outlive the dialog, and the loaded file's name.
    CAnalysisDlg(const AnalysisResult& result, const char* lpszImage, CWnd* pParent = nullptr);
    ~CAnalysisDlg() override;

    BOOL OnInitDialog() override;
    void OnPaint();

    // What the text box shows: a heading, then AnalysisTable (the figures and the key's diagnosis).
    CString ReportText() const;
    // The charts, the plain image's then the cipher image's for each channel, each an 8-bit
    // image of one plane with its histogram computed; and where each is drawn (client
    // coordinates, the chart's own rectangle without its title and labels).
    int ChartCount() const { return int(m_charts.size()); }
    CIPDib& Chart(int i) { return *m_charts[size_t(i)]; }
    CRect ChartRect(int i) const;

private:
    const AnalysisResult& m_result;
    CString m_strImage;
    std::vector<std::unique_ptr<CIPDib>> m_charts;

    DECLARE_MESSAGE_MAP()
};
