#pragma once

#include <csetjmp>
#include <cstdio>
#include <jpeglib.h>

// The JPEG library reports a fatal error by calling error_exit, which must
// not return: it jumps back to the caller's setjmp. Only plain data may lie
// between the setjmp and the jump, so nothing is left without its destructor.
struct CJpegErrorManager
{
    jpeg_error_mgr pub;
    std::jmp_buf jump;

    // Installs the jump and quiet output on `info`; `onWarning` is the
    // library's emit_message (a level below 0 means corrupt data).
    void InstallOn(jpeg_decompress_struct& info, void (*onWarning)(j_common_ptr, int))
    {
        info.err = jpeg_std_error(&pub);
        pub.error_exit = [](j_common_ptr i) {
            std::longjmp(reinterpret_cast<CJpegErrorManager*>(i->err)->jump, 1);
        };
        pub.emit_message = onWarning;
        pub.output_message = [](j_common_ptr) {};
    }
};
