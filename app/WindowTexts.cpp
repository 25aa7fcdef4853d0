#include "app/WindowTexts.h"

namespace texts {

const char kOpenFilter[] =
    "图象文件(*.bmp;*.png;*.jpg;*.jpeg;*.cpr;*.raw)|*.bmp;*.png;*.jpg;*.jpeg;*.cpr;*.raw|"
    "Bmp Files(*.bmp)|*.bmp|PNG 文件(*.png)|*.png|JPEG 文件(*.jpg;*.jpeg)|*.jpg;*.jpeg|"
    "CPR 文件(*.cpr)|*.cpr|RAW 文件(*.raw)|*.raw|All Files(*.*)|*.*||";
const char kSaveFilter[] = "Bmp Files(*.bmp)|*.bmp|PNG 文件(*.png)|*.png||";

const char kTitleFormat[] = "%s - %s";
const char kEncryptedSuffix[] = "-enc";

const char kNotLoaded[] = "图象没有载入：“%s”打不开，%s。";
const char kReasonNoFile[] = "文件不存在";
const char kReasonNoReadPermission[] = "没有读这个文件的权限";

const char kNothingToSave[] = "没有可保存的图象：请先载入图象。";
const char kSaveKindRefused[] = "图象只能保存为 BMP 或 PNG 文件，“%s”没有写入。";
const char kNotSaved[] = "图象没有保存到“%s”：%s。";
const char kReasonNoPermission[] = "没有在这个文件夹里写文件的权限";
const char kReasonReadOnly[] = "这个文件夹所在的文件系统是只读的";
const char kReasonNotAFolder[] = "路径中有一部分不是文件夹";
const char kReasonNoFolder[] = "文件夹不存在";
const char kReasonIsAFolder[] = "这个名字是一个文件夹";
const char kReasonNameTooLong[] = "文件名太长";
const char kReasonDiskFull[] = "磁盘已满";
const char kReasonNoMemory[] = "内存不足";
const char kReasonWriteFailed[] = "写文件时出错";

const char kDegenerateKey[] = "这次加密没有改变图象的大部分（密钥退化），显示的不是密图：请按“初始化”换一个密钥。";
const char kNoSBoxYet[] = "这次替换没有改变图象的大部分（S 盒还没有生成），显示的不是密图：请先按“加密图象”。";

const char kSaveKeyEntry[] = "保存密钥...";
const char kDecryptWithKeyEntry[] = "用密钥解密...";
const char kKeyFilter[] = "密钥文件(*.json)|*.json|All Files(*.*)|*.*||";
const char kKeySuffix[] = "-key";
const char kNoRunToSave[] = "没有可保存的密钥：请先载入图象。";
const char kRunTooLong[] = "载入图象以来的步骤超过 %u 步（测试速度的每一帧算一步），密钥文件记不下：请重新载入图象。";
const char kKeyNotSaved[] = "密钥没有保存到“%s”。";
const char kNothingToDecrypt[] = "没有可解密的图象：请先载入图象。";
const char kKeyRefused[] = "密钥文件“%s”不能用：%s。";

const char kAnalysisEntry[] = "安全性分析...";
const char kNothingToAnalyse[] = "没有可分析的图象：请先载入图象。";
const char kAnalysisDepth[] = "安全性分析只能分析 8 位和 24 位图象，载入的图象是 %d 位：请载入 8 位或 24 位图象。";
const char kAnalysisFailed[] = "安全性分析没有完成：%s。";
const char kAnalysisHeading[] =
    "载入的图象“%s”（%d x %d 像素，%d 位）用当前密钥按“加密图象”（模式 1）加密，在副本上测量，\n"
    "显示的图象和密钥不变。下表与 moro-cli analyse 相同：每项的明文值、密文值、理想值或临界值和结果，\n"
    "表后是密钥的诊断。";
const char kAnalysisPlainChart[] = "原图（%s）";
const char kAnalysisCipherChart[] = "密图（%s），卡方 %.1f";
const char kChannelIndex[] = "索引";
const char kChannelRed[] = "红";
const char kChannelGreen[] = "绿";
const char kChannelBlue[] = "蓝";

const char kSpeedCaption[] = "测试速度";
const char kFramesDone[] = "已加密 %u / %u 帧";
const char kCancel[] = "取消";
const char kSpeedReport[] = "The average encryption speed is about %g Mbps.";
const char kSpeedMeasured[] = "测试的是%s，%u 帧，%s。";
const char kSpeedCancelled[] = "测试已取消，只计完成的 %u 帧（共 %u 帧）：%s，%s。";
const char kImageSize[] = "图象 %d x %d 像素，%d 位";
const char kNoImage[] = "没有图象";

}  // namespace texts
