#include "tools/ogg/OggEncoder.h"

#include <vorbis/codec.h>
#include <vorbis/vorbisenc.h>

#include <algorithm>

namespace OggEncoder {

std::vector<uint8_t> Encode(int channels, int rate, int64_t frames, const Signal& signal, float quality, int serial)
{
    std::vector<uint8_t> out;
    vorbis_info vi;
    vorbis_info_init(&vi);
    if (vorbis_encode_init_vbr(&vi, channels, rate, quality) != 0) {
        vorbis_info_clear(&vi);
        return out;
    }
    vorbis_comment vc;
    vorbis_comment_init(&vc);
    vorbis_dsp_state vd;
    vorbis_block vb;
    vorbis_analysis_init(&vd, &vi);
    vorbis_block_init(&vd, &vb);
    ogg_stream_state os;
    ogg_stream_init(&os, serial);
    ogg_page og;
    ogg_packet op;
    auto put = [&](const ogg_page& page) {
        out.insert(out.end(), page.header, page.header + page.header_len);
        out.insert(out.end(), page.body, page.body + page.body_len);
    };

    ogg_packet header, comments, code;
    vorbis_analysis_headerout(&vd, &vc, &header, &comments, &code);
    ogg_stream_packetin(&os, &header);
    ogg_stream_packetin(&os, &comments);
    ogg_stream_packetin(&os, &code);
    while (ogg_stream_flush(&os, &og))
        put(og);

    const int chunk = 1024;
    int64_t done = 0;
    bool eos = false;
    bool ended = false;
    while (!eos) {
        int n = int(std::min<int64_t>(chunk, frames - done));
        if (n > 0) {
            float** buffer = vorbis_analysis_buffer(&vd, n);
            for (int i = 0; i < n; ++i)
                for (int c = 0; c < channels; ++c)
                    buffer[c][i] = signal(done + i, c);
            vorbis_analysis_wrote(&vd, n);
            done += n;
        } else if (!ended) {
            vorbis_analysis_wrote(&vd, 0);
            ended = true;
        }
        while (vorbis_analysis_blockout(&vd, &vb) == 1) {
            vorbis_analysis(&vb, nullptr);
            vorbis_bitrate_addblock(&vb);
            while (vorbis_bitrate_flushpacket(&vd, &op)) {
                ogg_stream_packetin(&os, &op);
                while (!eos && ogg_stream_pageout(&os, &og)) {
                    put(og);
                    if (ogg_page_eos(&og))
                        eos = true;
                }
            }
        }
        if (ended && !eos) {
            while (ogg_stream_flush(&os, &og))
                put(og);
            break;
        }
    }
    ogg_stream_clear(&os);
    vorbis_block_clear(&vb);
    vorbis_dsp_clear(&vd);
    vorbis_comment_clear(&vc);
    vorbis_info_clear(&vi);
    return out;
}

} // namespace OggEncoder
