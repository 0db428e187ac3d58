#include "settings/settings_file.h"

#include <utility>

#include "framework/exception.h"
#include "settings/settings_document.h"

namespace tovel {
namespace {

constexpr char16_t kFileName[] = u"Tovel.ini";
constexpr char16_t kSection[] = u"Line";
constexpr char16_t kKey[] = u"Count";

bool IsTrailingNoise(char16_t c) {
    return c <= 32 || c == u'.' || c == u'\u3002' || c == u'\uFF0E' || c == u'\uFF61';
}

}  // namespace

std::u16string TrimSystemErrorText(std::u16string text) {
    while (!text.empty() && IsTrailingNoise(text.back())) {
        text.pop_back();
    }
    return text;
}

SettingsFile::SettingsFile(FileSystem& files, TextCodec& codec, SystemMessages& messages,
                           std::u16string userDataDir)
    : files_(files),
      codec_(codec),
      messages_(messages),
      path_(std::move(userDataDir) + kFileName) {}

SettingsDocument SettingsFile::LoadDocument() {
    const FileRead read = files_.ReadWholeFile(path_);
    switch (read.outcome) {
        case FileRead::Outcome::Missing:
            return SettingsDocument();
        case FileRead::Outcome::Failed:
            throw Exception(u"ファイル " + path_ + u" は開けません。 " +
                            TrimSystemErrorText(messages_.ErrorText(read.error)) + u" ");
        case FileRead::Outcome::Read:
            break;
    }
    return SettingsDocument::Load(read.contents, codec_);
}

std::int32_t SettingsFile::ReadLineIndex() {
    return LoadDocument().ReadInteger(kSection, kKey, kDefaultLineIndex);
}

void SettingsFile::SaveLineIndex(std::int32_t index) {
    SettingsDocument document = LoadDocument();
    document.WriteInteger(kSection, kKey, index);
    const std::uint32_t error = files_.ReplaceWholeFile(path_, document.Serialize(codec_));
    if (error != kErrorSuccess) {
        throw Exception(u"ファイル \"" + path_ + u"\" を作成できません。" +
                        TrimSystemErrorText(messages_.ErrorText(error)));
    }
}

}  // namespace tovel
