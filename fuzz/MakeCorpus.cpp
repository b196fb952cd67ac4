// Writes the seed corpus for the EXIF fuzz target into the folder given: camera-like files in
// both byte orders and damaged variants of each kind the engine must survive.
#include "ExifFiles.h"

#include <cstdio>
#include <string>

using namespace exiftest;

namespace {

std::string g_dir;

void Save(const std::string& path, const Bytes& bytes)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f) {
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
}

Bytes Small(bool bMotorola)
{
    Tiff t(bMotorola);
    t.Ascii(0, 306, "2006:12:24 17:05:09").Short(0, 274, {6}).Rational(0, 282, {{72, 1}});
    return t.Build();
}

void Hostile(bool bMotorola, const std::string& order)
{
    auto save = [&](const std::string& name, const Bytes& bytes) { Save(g_dir + "/" + name + "-" + order + ".jpg", bytes); };
    {
        Tiff t(bMotorola);
        const int ifd1 = t.AddIfd();
        t.Rational(0, 282, {{72, 1}}).Next(0, ifd1).Rational(ifd1, 282, {{1, 1}}).Next(ifd1, 0);
        save("loop", Jpeg(t.Build()));
    }
    {
        Tiff t(bMotorola);
        t.Raw(0, 271, kAscii, 10, 0xFFFFFF00u).Raw(0, 272, kAscii, 0xFFFFFFFFu, 8);
        t.Raw(0, 282, kRational, 0xFFFFFFFFu, 8).Raw(0, 258, kShort, 0xFFFFFFFFu, 8);
        t.Raw(0, 37510, kUndefined, 0xFFFFFFFFu, 8).Raw(0, 306, kAscii, 20, 0xFFFFFFF8u);
        t.Raw(0, 34665, kLong, 1, 0x7FFFFFFFu).Raw(0, 40965, kLong, 1, 0xFFFFFFF8u).RawNext(0, 0xFFFFFFF0u);
        save("outside", Jpeg(t.Build()));
    }
    {
        Tiff t(bMotorola);
        t.Text(0, 306, "2006:12:24 17:05:0", 19).Ascii(0, 36867, "2006:12").Text(0, 271, "BUSHNELL", 8);
        t.Ascii(0, 37521, "123456").Short(0, 34855, {100, 200});
        save("texts", Jpeg(t.Build()));
    }
    {
        Tiff t(bMotorola);
        for (unsigned tag : {1u, 2u, 254u, 259u, 262u, 273u, 277u, 278u, 284u, 296u, 530u, 531u, 33421u, 34850u,
                             34853u, 34857u, 34858u, 37383u, 37384u, 37385u, 37394u, 37396u, 40961u, 41488u,
                             41492u, 41495u, 33723u, 37520u, 12345u})
            t.Raw(0, std::uint16_t(tag), kShort, 2, 0x01020304u);
        save("values", Jpeg(t.Build()));
    }
    const Bytes tiff = Small(bMotorola);
    JpegParts cut;
    cut.lengthField = 65535;
    Bytes truncated = Jpeg(tiff, cut);
    truncated.resize(TiffStart(cut) + tiff.size() / 2);
    save("truncated", truncated);
    JpegParts tiny;
    tiny.lengthField = 10;
    save("tiny-segment", Jpeg(tiff, tiny));
    JpegParts xmp;
    xmp.xmpBefore = true;
    xmp.garbageBefore = {'G', 'I', 'F', 0xFF, 0xE1};
    save("xmp-garbage", Jpeg(tiff, xmp));
    Bytes count = Jpeg(tiff);
    count[TiffStart() + 8 + (bMotorola ? 0 : 1)] = 0xFF;
    save("entry-count", count);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: exif_fuzz_make_corpus FOLDER\n");
        return 2;
    }
    g_dir = argv[1];
    for (bool bMotorola : {false, true}) {
        const std::string order = bMotorola ? "mm" : "ii";
        JpegParts camera;
        camera.imageBytes = 200;
        Save(g_dir + "/camera-" + order + ".jpg", Jpeg(Camera(bMotorola).Build(), camera));
        Save(g_dir + "/small-" + order + ".jpg", Jpeg(Small(bMotorola)));
        Hostile(bMotorola, order);
        // The same structures as TIFF files, and as an ORF and an RW2 header would start them.
        Save(g_dir + "/camera-" + order + ".tif", Camera(bMotorola).Build());
        Bytes orf = Small(bMotorola);
        orf[2] = bMotorola ? 'O' : 'R';
        orf[3] = bMotorola ? 'R' : 'O';
        Save(g_dir + "/small-" + order + ".orf", orf);
    }
    Save(g_dir + "/empty.jpg", {});
    Save(g_dir + "/twelve.jpg", {0xFF, 0xD8, 0xFF, 0xE1, 0, 20, 'E', 'x', 'i', 'f', 0, 0, 'I', 'I'});
    Save(g_dir + "/not-jpeg.jpg", Bytes(64, 'a'));
    return 0;
}
