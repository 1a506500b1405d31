#include "support/ogg_writer.h"

#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <cmath>

std::vector<uint8_t> OggSineBytes(int rate, double seconds, double freq, double amplitude) {
  vorbis_info vi;
  vorbis_info_init(&vi);
  vorbis_encode_init_vbr(&vi, 2, rate, 0.4f);
  vorbis_comment vc;
  vorbis_comment_init(&vc);
  vorbis_dsp_state vd;
  vorbis_analysis_init(&vd, &vi);
  vorbis_block vb;
  vorbis_block_init(&vd, &vb);
  ogg_stream_state os;
  ogg_stream_init(&os, 1234);
  std::vector<uint8_t> out;
  auto putPage = [&](const ogg_page& og) {
    out.insert(out.end(), og.header, og.header + og.header_len);
    out.insert(out.end(), og.body, og.body + og.body_len);
  };
  ogg_packet header, comment, code;
  vorbis_analysis_headerout(&vd, &vc, &header, &comment, &code);
  ogg_stream_packetin(&os, &header);
  ogg_stream_packetin(&os, &comment);
  ogg_stream_packetin(&os, &code);
  ogg_page og;
  while (ogg_stream_flush(&os, &og)) putPage(og);
  const long total = static_cast<long>(rate * seconds);
  long done = 0;
  bool eos = false;
  while (!eos) {
    const long n = std::min(1024L, total - done);
    if (n > 0) {
      float** buf = vorbis_analysis_buffer(&vd, static_cast<int>(n));
      for (long i = 0; i < n; ++i) {
        const float v = static_cast<float>(amplitude * std::sin(2 * M_PI * freq * (done + i) / rate));
        buf[0][i] = v;
        buf[1][i] = v;
      }
      vorbis_analysis_wrote(&vd, static_cast<int>(n));
      done += n;
    } else {
      vorbis_analysis_wrote(&vd, 0);
    }
    while (vorbis_analysis_blockout(&vd, &vb) == 1) {
      vorbis_analysis(&vb, nullptr);
      vorbis_bitrate_addblock(&vb);
      ogg_packet op;
      while (vorbis_bitrate_flushpacket(&vd, &op)) {
        ogg_stream_packetin(&os, &op);
        while (ogg_stream_pageout(&os, &og)) {
          putPage(og);
          if (ogg_page_eos(&og)) eos = true;
        }
      }
    }
    if (n <= 0 && !eos) {
      while (ogg_stream_flush(&os, &og)) {
        putPage(og);
        if (ogg_page_eos(&og)) eos = true;
      }
      eos = true;
    }
  }
  ogg_stream_clear(&os);
  vorbis_block_clear(&vb);
  vorbis_dsp_clear(&vd);
  vorbis_comment_clear(&vc);
  vorbis_info_clear(&vi);
  return out;
}
