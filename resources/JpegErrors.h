#pragma once

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

// libjpeg's default error exit ends the process; ours jumps back to the caller, which then
// raises a C++ error once it has left the frame that libjpeg runs in.
struct JpegErrors {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

[[noreturn]] inline void jpegErrorExit(j_common_ptr info)
{
    auto *errors = reinterpret_cast<JpegErrors *>(info->err);
    info->err->format_message(info, errors->message);
    std::longjmp(errors->jump, 1);
}
