// The check run: a click puts the window into its checking state and starts one worker
// thread, which fetches the page, reads its header block, measures a gzip body and writes
// the findings into the labels before it gives the button back.
#include "CheckRun.h"

#include "Controls.h"
#include "gzip/EnsureGzipLibrary.h"
#include "gzip/GunzipBody.h"
#include "http/FetchUrl.h"
#include "values/Gbk.h"
#include "values/TextOperations.h"
#include "values/Values.h"

#include <system_error>
#include <thread>

namespace {

void ShowEncoding(const Text& responseHeaders) {
    if (FindText(responseHeaders, "charset=gbk", std::nullopt, true) != -1)
        SetControlText(Control::标签_编码方式, Gbk(u8"编码方式：GBK"));
    else if (FindText(responseHeaders, "charset=UTF-8", std::nullopt, true) != -1)
        SetControlText(Control::标签_编码方式, Gbk(u8"编码方式：UTF8"));
    else
        SetControlText(Control::标签_编码方式, Gbk(u8"编码方式：未知！"));
}

// The compressed size as a whole percentage of the original: divide first, then multiply,
// so 29 of 100 is 28.999999999999996 before FloorToInteger's nudge takes it to 29. An
// original size of 0 gives an infinite or undefined quotient, which reads as 0.
int32_t CompressionPercentage(int32_t compressedSize, int32_t originalSize) {
    double quotient = static_cast<double>(compressedSize) / static_cast<double>(originalSize);
    return FloorToInteger(quotient * 100.0);
}

void ShowGzipFindings(int32_t originalSize, int32_t compressedSize) {
    SetControlText(Control::标签_原始大小,
                   ConcatText(Gbk(u8"原始大小："), NumberToText(originalSize)));
    SetControlText(Control::标签_压缩大小,
                   ConcatText(Gbk(u8"压缩大小："), NumberToText(compressedSize)));
    SetControlText(Control::标签_压缩类型, Gbk(u8"压缩类型：GZIP"));
    SetControlText(Control::标签_压缩率,
                   ConcatText(Gbk(u8"压缩率（估计值）："),
                              NumberToText(CompressionPercentage(compressedSize, originalSize)),
                              "%"));
    SetControlText(Control::标签_是否压缩, Gbk(u8"是否压缩：是"));
}

void ShowPlainFindings(int32_t originalSize, int32_t compressedSize) {
    // Without the gzip line nothing was decoded, so this reads "否" only for an empty body.
    if (originalSize == compressedSize)
        SetControlText(Control::标签_是否压缩, Gbk(u8"是否压缩：否"));
    else
        SetControlText(Control::标签_是否压缩, Gbk(u8"是否压缩：未知！"));
    SetControlText(Control::标签_压缩类型, Gbk(u8"压缩类型：未知！"));
}

void CheckThreadProc() {
    RunCheck();
}

} // namespace

void OnCheckButtonClicked() {
    SetControlEnabled(Control::按钮1, false);
    SetControlText(Control::按钮1, Gbk(u8"检测..."));
    SetControlText(Control::标签_原始大小, Gbk(u8"原始大小："));
    SetControlText(Control::标签_压缩大小, Gbk(u8"压缩大小："));
    SetControlText(Control::标签_压缩类型, Gbk(u8"压缩类型："));
    SetControlText(Control::标签_压缩率, Gbk(u8"压缩率（估计值）："));
    SetControlText(Control::标签_是否压缩, Gbk(u8"是否压缩："));
    SetControlText(Control::标签_编码方式, Gbk(u8"编码方式："));
    try {
        // The worker is never joined: it ends on its own or with the process.
        std::thread(CheckThreadProc).detach();
    } catch (const std::system_error&) {
        // No thread: the button stays disabled and the labels bare, and nothing is reported.
    }
}

void RunCheck() {
    EnsureGzipLibrary();
    Text url = GetControlText(Control::编辑框1);
    Text requestHeaders = "Accept-Encoding: gzip, deflate";
    Text responseHeaders;
    Bytes body = FetchUrl(url, {.headers = &requestHeaders, .responseHeaders = &responseHeaders});
    int32_t compressedSize = BytesLength(body);
    int32_t originalSize = 0;

    ShowEncoding(responseHeaders);
    if (FindText(responseHeaders, "Content-Encoding: gzip", std::nullopt, true) != -1) {
        // Only the decoded length is used, so it is counted, never held: a body that inflates
        // to gigabytes is measured in bounded memory.
        originalSize = GunzippedLength(body);
        ShowGzipFindings(originalSize, compressedSize);
    } else {
        ShowPlainFindings(originalSize, compressedSize);
    }

    SetControlText(Control::按钮1, Gbk(u8"检测"));
    SetControlEnabled(Control::按钮1, true);
}
