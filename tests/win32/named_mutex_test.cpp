#include "platform/win32/win32_named_mutex.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace tovel::win32 {
namespace {

// A name no other test run uses, so a mutex left by one cannot answer another.
std::u16string FreshName(const char16_t* role) {
    const std::wstring stamp =
        std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(GetTickCount64());
    return u"Tovel test " + std::u16string(role) + u" " +
           std::u16string(reinterpret_cast<const char16_t*>(stamp.c_str()));
}

TEST(Win32NamedMutexes, TheCreateTellsANewMutexFromOneAnotherProcessMade) {
    Win32NamedMutexes mutexes;

    const std::u16string mine = FreshName(u"new");
    EXPECT_EQ(mutexes.Create(mine), NamedMutexes::Creation::Created);
    EXPECT_TRUE(mutexes.OpenExisting(mine)) << "the new guard is kept";

    // Another copy holds the guard: it made the mutex before this create.
    const std::u16string theirs = FreshName(u"other");
    const HANDLE other =
        CreateMutexW(nullptr, FALSE, reinterpret_cast<const wchar_t*>(theirs.c_str()));
    ASSERT_NE(other, nullptr) << GetLastError();
    EXPECT_EQ(mutexes.Create(theirs), NamedMutexes::Creation::Existed);
    CloseHandle(other);
    EXPECT_FALSE(mutexes.OpenExisting(theirs))
        << "the start that found the guard taken let its handle go";
}

}  // namespace
}  // namespace tovel::win32
