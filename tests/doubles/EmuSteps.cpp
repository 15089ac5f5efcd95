// The step builders of the emulator's script.
#include "PrinterEmulator.h"

EmuStep EmuBytes(const std::string& bytes, DWORD delayMs)
{
    EmuStep step;
    step.reply = bytes;
    step.delayMs = delayMs;
    return step;
}

EmuStep EmuBytes(const void* bytes, size_t length, DWORD delayMs)
{
    return EmuBytes(bytes ? std::string(static_cast<const char*>(bytes), length) : std::string(), delayMs);
}

EmuStep EmuText(const char* text, DWORD delayMs)
{
    std::string reply(1, '\x01');
    if (text)
        reply += text;
    reply += '\0';
    return EmuBytes(reply, delayMs);
}

EmuStep EmuNotReady(DWORD delayMs)
{
    return EmuBytes(std::string(1, '\0'), delayMs);
}

EmuStep EmuBulk(const char* text, DWORD bulkBytes, DWORD delayMs)
{
    EmuStep step = EmuText(text, delayMs);
    step.bulkBytes = bulkBytes;
    return step;
}

EmuStep EmuClose(DWORD delayMs)
{
    EmuStep step;
    step.action = EMU_CLOSE;
    step.delayMs = delayMs;
    return step;
}

EmuStep EmuSilent()
{
    EmuStep step;
    step.action = EMU_SILENT;
    return step;
}
