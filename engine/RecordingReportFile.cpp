// The texts come from ReportText; the file is written as they are.
#include "RecordingReportFile.h"

#include "ReportText.h"

#include <cerrno>
#include <cstdio>
#include <ctime>

namespace {

// 0x80070000 | errno, as the run-time library's errors are reported.
HRESULT FromErrno(int error)
{
    return error > 0 ? static_cast<HRESULT>(0x80070000u | (static_cast<unsigned>(error) & 0xFFFF)) : error;
}

std::tm LocalTime(int64_t seconds)
{
    const std::time_t time = static_cast<std::time_t>(seconds);
    std::tm local{};
    localtime_s(&local, &time);
    return local;
}

// The bytes as they are, flushed, so a report ended by a crash keeps what was written.
HRESULT WriteText(FILE* file, const std::string& text)
{
    errno = 0;
    if (std::fwrite(text.data(), 1, text.size(), file) != text.size() || std::fflush(file) != 0)
        return FromErrno(errno ? errno : EIO);
    return S_OK;
}

}  // namespace

HRESULT RecordingReportFile::Open(const std::wstring& reportPath, const std::wstring& recordingPath)
{
    Close();
    block_ = RecordingReport{};
    // Binary: the texts carry their own CR LF line ends.
    FILE* file = _wfopen(reportPath.c_str(), L"wb");
    if (!file)
        return FromErrno(errno);
    block_.file = file;
    block_.filePath = reportPath;
    return WriteText(file, engine::ReportHeaderText(LocalTime(std::time(nullptr)), recordingPath));
}

HRESULT RecordingReportFile::WriteBody()
{
    if (!block_.file)
        return E_FAIL;
    return WriteText(block_.file,
                     engine::ReportBodyText(block_, LocalTime(block_.startTime), LocalTime(block_.endTime)));
}

HRESULT RecordingReportFile::WriteFailure(const std::wstring& message)
{
    if (!block_.file)
        return E_FAIL;
    const HRESULT written = WriteText(block_.file, engine::ReportFailureText(message));
    const HRESULT closed = Close();
    return FAILED(written) ? written : closed;
}

HRESULT RecordingReportFile::Close()
{
    if (!block_.file)
        return S_FALSE;
    const int result = std::fclose(block_.file);
    block_.file = nullptr;
    return result == 0 ? S_OK : FromErrno(errno);
}
