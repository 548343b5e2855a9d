#include "platform/gdi/PixelRuns.h"

#include <algorithm>
#include <array>
#include <cstdint>

// SSE2 is in every 64-bit x86 processor; SSSE3's byte shuffle is looked
// for when the program starts.
#if defined(__SSE2__)
#define ONDREL_X86 1
#include <immintrin.h>
#endif

namespace ce::gdi {
namespace {

// --- Combining 32-bit runs -------------------------------------------------

// Each combination as a function of pixels and of vectors of them; the
// wide loops take it as (d op s) & colour, a ternary function of d, s and
// colour (as bits 0xF0, 0xCC and 0xAA). A combination that gives the same
// when done twice lets a row end in a whole vector that overlaps the one
// before it, rather than in single pixels or a masked one.

struct Copy {
  static constexpr bool kAgainGivesTheSame = true;
  static constexpr int kTernary = 0x88;
  static constexpr bool kReadsDestination = false;
  static Rgb On(Rgb, Rgb s) { return s; }
#ifdef ONDREL_X86
  static __m128i On(__m128i, __m128i s) { return s; }
#endif
};
struct And {
  static constexpr bool kAgainGivesTheSame = true;
  static constexpr int kTernary = 0x80;
  static constexpr bool kReadsDestination = true;
  static Rgb On(Rgb d, Rgb s) { return d & s; }
#ifdef ONDREL_X86
  static __m128i On(__m128i d, __m128i s) { return _mm_and_si128(d, s); }
#endif
};
struct Or {
  static constexpr bool kAgainGivesTheSame = true;
  static constexpr int kTernary = 0xA8;
  static constexpr bool kReadsDestination = true;
  static Rgb On(Rgb d, Rgb s) { return d | s; }
#ifdef ONDREL_X86
  static __m128i On(__m128i d, __m128i s) { return _mm_or_si128(d, s); }
#endif
};
struct Xor {
  static constexpr bool kAgainGivesTheSame = false;
  static constexpr int kTernary = 0x28;
  static constexpr bool kReadsDestination = true;
  static Rgb On(Rgb d, Rgb s) { return d ^ s; }
#ifdef ONDREL_X86
  static __m128i On(__m128i d, __m128i s) { return _mm_xor_si128(d, s); }
#endif
};

// Brings the destination's cache line two lines ahead in before it is
// written, so that the stores need not wait for it: that is what keeps a
// run as fast as a memcpy. (A prefetch never faults, even past the end.)
inline void FetchAhead(const Rgb* d) { __builtin_prefetch(reinterpret_cast<const void*>(std::uintptr_t(d) + 128), 1); }

template <class Op>
[[gnu::always_inline]] inline void Combine(Rgb* __restrict d, const Rgb* __restrict s, int n) {
  int i = 0;
#ifdef ONDREL_X86
  const __m128i colour = _mm_set1_epi32(0xFFFFFF);
  auto load = [](const Rgb* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); };
  auto result = [&](int at, __m128i sv) {
    return _mm_and_si128(Op::On(Op::kReadsDestination ? load(d + at) : sv, sv), colour);
  };
  auto four = [&](int at, __m128i sv) { _mm_storeu_si128(reinterpret_cast<__m128i*>(d + at), result(at, sv)); };
  // The last four, when they may overlap the four before them, are worked
  // out before any of the row is written: the pixels both hold then get
  // the same colours twice.
  const bool overlapEnd = Op::kAgainGivesTheSame && n >= 4;
  const int end = overlapEnd ? n - 4 : n;
  const __m128i last = overlapEnd ? result(end, load(s + end)) : __m128i{};
  // A cache line a turn, its loads ahead of its stores.
  for (; i + 16 <= end; i += 16) {
    FetchAhead(d + i);
    __m128i s0 = load(s + i), s1 = load(s + i + 4), s2 = load(s + i + 8), s3 = load(s + i + 12);
    four(i, s0);
    four(i + 4, s1);
    four(i + 8, s2);
    four(i + 12, s3);
  }
  if (overlapEnd) {
    for (; i < end; i += 4) four(i, load(s + i));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(d + end), last);
    return;
  }
  for (; i + 4 <= n; i += 4) four(i, load(s + i));
#endif
  for (; i < n; ++i) d[i] = Op::On(d[i], s[i]) & 0xFFFFFF;
}

// --- Reading rows of each format -------------------------------------------

Rgb TableColour(const Surface& s, unsigned index) { return index < s.palette.size() ? s.palette[index] : Rgb{0}; }

// One row of each format; ReadRows below makes the readers of them.
void ReadIndex1(const Surface& s, int x, int y, int n, Rgb* out) {
  const std::uint8_t* row = s.Row(y);
  for (int i = 0, px = x; i < n; ++i, ++px) out[i] = TableColour(s, (row[px >> 3] >> (7 - (px & 7))) & 1);
}
void ReadIndex4(const Surface& s, int x, int y, int n, Rgb* out) {
  const std::uint8_t* row = s.Row(y);
  for (int i = 0, px = x; i < n; ++i, ++px) out[i] = TableColour(s, (px & 1) ? row[px >> 1] & 0x0F : row[px >> 1] >> 4);
}
void ReadIndex8(const Surface& s, int x, int y, int n, Rgb* out) {
  const std::uint8_t* row = s.Row(y) + x;
  for (int i = 0; i < n; ++i) out[i] = TableColour(s, row[i]);
}

// Five or six bits widened to eight by repeating their top bits, so that
// full intensity stays full.
Rgb From555(unsigned v) {
  Rgb r = (v >> 10) & 0x1F, g = (v >> 5) & 0x1F, b = v & 0x1F;
  return ((r << 3 | r >> 2) << 16) | ((g << 3 | g >> 2) << 8) | (b << 3 | b >> 2);
}
Rgb From565(unsigned v) {
  Rgb r = (v >> 11) & 0x1F, g = (v >> 5) & 0x3F, b = v & 0x1F;
  return ((r << 3 | r >> 2) << 16) | ((g << 2 | g >> 4) << 8) | (b << 3 | b >> 2);
}
template <Rgb (*From)(unsigned)>
void Read16(const Surface& s, int x, int y, int n, Rgb* out) {
  const std::uint8_t* row = s.Row(y) + 2 * x;
  for (int i = 0; i < n; ++i) out[i] = From(unsigned(row[2 * i]) | (unsigned(row[2 * i + 1]) << 8));
}

void Bgr24Bytes(const std::uint8_t* in, Rgb* out, int n) {
  for (int i = 0; i < n; ++i, in += 3) out[i] = (Rgb(in[2]) << 16) | (Rgb(in[1]) << 8) | in[0];
}
[[gnu::always_inline]] inline void ReadBgr24(const Surface& s, int x, int y, int n, Rgb* out) {
  Bgr24Bytes(s.Row(y) + 3 * x, out, n);
}

// The pixel memory of 32-bit pictures is kept in words.
[[gnu::always_inline]] inline void ReadXrgb32(const Surface& s, int x, int y, int n, Rgb* out) {
  Combine<Copy>(out, reinterpret_cast<const Rgb*>(s.Row(y)) + x, n);
}

// --- 24-bit rows with byte shuffles ----------------------------------------

#ifdef ONDREL_X86
// A 16-byte load takes four pixels and 4 bytes more: bytes 0 to 11 of it
// ahead of a run's end, or bytes 4 to 15 of it near the end (never at the
// run's first pixel), so that no load reaches past the run.
__attribute__((target("ssse3"))) inline __m128i Spread4(const std::uint8_t* p, bool nearEnd) {
  const __m128i ahead = _mm_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
  const __m128i behind = _mm_setr_epi8(4, 5, 6, -1, 7, 8, 9, -1, 10, 11, 12, -1, 13, 14, 15, -1);
  return nearEnd ? _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p - 4)), behind)
                 : _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), ahead);
}

__attribute__((target("ssse3"), always_inline)) inline void Bgr24Ssse3(const std::uint8_t* in, Rgb* out, int n) {
  if (n < 6) return Bgr24Bytes(in, out, n);
  auto store = [](Rgb* p, __m128i v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); };
  int i = 0;
  for (; i + 18 <= n; i += 16) {
    FetchAhead(out + i);
    __m128i a = Spread4(in + 3 * i, false), b = Spread4(in + 3 * i + 12, false);
    __m128i c = Spread4(in + 3 * i + 24, false), d = Spread4(in + 3 * i + 36, false);
    store(out + i, a);
    store(out + i + 4, b);
    store(out + i + 8, c);
    store(out + i + 12, d);
  }
  // Groups of four at multiples of four, as the runs that read out next
  // load them: a load that spans two stores would wait for both.
  for (; i + 4 <= n; i += 4) store(out + i, Spread4(in + 3 * i, i + 6 > n));
  Bgr24Bytes(in + 3 * i, out + i, n - i);
}
__attribute__((target("ssse3"), always_inline)) inline void ReadBgr24Ssse3(const Surface& s, int x, int y, int n,
                                                                          Rgb* out) {
  Bgr24Ssse3(s.Row(y) + 3 * x, out, n);
}
#endif

// A reader of many rows from the reader of one, which it takes in so that
// a picture's rows run in one loop.
template <void (*ReadOne)(const Surface&, int, int, int, Rgb*)>
void ReadRows(const Surface& s, int x, int y, int n, int rows, Rgb* out, std::ptrdiff_t outStride) {
  for (int k = 0; k < rows; ++k, out += outStride) ReadOne(s, x, y + k, n, out);
}
#ifdef ONDREL_X86
__attribute__((target("ssse3"))) void ReadRowsBgr24Ssse3(const Surface& s, int x, int y, int n, int rows, Rgb* out,
                                                         std::ptrdiff_t outStride) {
  for (int k = 0; k < rows; ++k, out += outStride) ReadBgr24Ssse3(s, x, y + k, n, out);
}
#endif

// The readers by format (in PixelFormat's order), picked once for this
// processor.
static_assert(int(PixelFormat::Index1) == 0 && int(PixelFormat::Xrgb32) == 6);
struct Readers {
  RowReader byFormat[7] = {ReadRows<ReadIndex1>,      ReadRows<ReadIndex4>,      ReadRows<ReadIndex8>,
                           ReadRows<Read16<From555>>, ReadRows<Read16<From565>>, ReadRows<ReadBgr24>,
                           ReadRows<ReadXrgb32>};
  Readers() {
#ifdef ONDREL_X86
    __builtin_cpu_init();
    if (__builtin_cpu_supports("ssse3")) byFormat[int(PixelFormat::Bgr24)] = ReadRowsBgr24Ssse3;
#endif
  }
};

// --- Rectangles into 32-bit pictures --------------------------------------

template <class Op>
[[gnu::always_inline]] inline void RowPlain(Rgb* d, const Rgb* s, int n) {
  for (int i = 0; i < n; ++i) d[i] = Op::On(d[i], s[i]) & 0xFFFFFF;
}
template <class Op>
[[gnu::always_inline]] inline void RowPlain(Rgb* d, const std::uint8_t* s, int n) {
  for (int i = 0; i < n; ++i, s += 3) d[i] = Op::On(d[i], (Rgb(s[2]) << 16) | (Rgb(s[1]) << 8) | s[0]) & 0xFFFFFF;
}

template <class Op>
void Xrgb32Plain(std::uint8_t* d, std::ptrdiff_t ds, const std::uint8_t* s, std::ptrdiff_t ss, int w, int h) {
  for (int k = 0; k < h; ++k, d += ds, s += ss)
    RowPlain<Op>(reinterpret_cast<Rgb*>(d), reinterpret_cast<const Rgb*>(s), w);
}
template <class Op>
void Bgr24Plain(std::uint8_t* d, std::ptrdiff_t ds, const std::uint8_t* s, std::ptrdiff_t ss, int w, int h) {
  for (int k = 0; k < h; ++k, d += ds, s += ss) RowPlain<Op>(reinterpret_cast<Rgb*>(d), s, w);
}

#ifdef ONDREL_X86
template <class Op>
void Xrgb32Sse(std::uint8_t* d, std::ptrdiff_t ds, const std::uint8_t* s, std::ptrdiff_t ss, int w, int h) {
  for (int k = 0; k < h; ++k, d += ds, s += ss)
    Combine<Op>(reinterpret_cast<Rgb*>(d), reinterpret_cast<const Rgb*>(s), w);
}
// A copy is the conversion alone; anything else converts a stretch of the
// row at a time and combines it.
template <class Op>
__attribute__((target("ssse3"))) void Bgr24Sse(std::uint8_t* d, std::ptrdiff_t ds, const std::uint8_t* s,
                                               std::ptrdiff_t ss, int w, int h) {
  constexpr int kStretch = 256;
  Rgb colours[kStretch];
  for (int k = 0; k < h; ++k, d += ds, s += ss) {
    Rgb* out = reinterpret_cast<Rgb*>(d);
    if (!Op::kReadsDestination) {
      Bgr24Ssse3(s, out, w);
      continue;
    }
    for (int i = 0; i < w; i += kStretch) {
      const int n = std::min(kStretch, w - i);
      Bgr24Ssse3(s + 3 * i, colours, n);
      Combine<Op>(out + i, colours, n);
    }
  }
}

#define ONDREL_AVX512 __attribute__((target("avx512f,avx512bw,avx512vl,avx512vbmi")))

// Byte 4i + j of sixteen colours is byte 3i + j of their 24-bit pixels
// (j < 3); the top bytes are masked to zero.
alignas(64) constexpr std::array<std::uint8_t, 64> kSpread24 = [] {
  std::array<std::uint8_t, 64> spread{};
  for (int i = 0; i < 64; ++i) spread[std::size_t(i)] = i % 4 == 3 ? 0 : std::uint8_t(3 * (i / 4) + i % 4);
  return spread;
}();

// Up to sixteen pixels (n of them) of a row, under masks, so that no load
// or store reaches past the rectangle: their result, and its store.
template <class Op, bool kBgr24>
ONDREL_AVX512 inline __m512i ResultUpTo16(const Rgb* d, const std::uint8_t* s, int n, __m512i colour) {
  const __mmask16 pixels = __mmask16(0xFFFFu >> (16 - n));
  __m512i sv;
  if constexpr (kBgr24) {
    const __m512i spread = _mm512_load_si512(kSpread24.data());
    const __mmask64 bytes = ~0ull >> (64 - 3 * n);
    sv = _mm512_maskz_permutexvar_epi8(0x7777777777777777ull, spread, _mm512_maskz_loadu_epi8(bytes, s));
  } else {
    sv = _mm512_maskz_loadu_epi32(pixels, s);
  }
  const __m512i dv = Op::kReadsDestination ? _mm512_maskz_loadu_epi32(pixels, d) : sv;
  return _mm512_ternarylogic_epi32(dv, sv, colour, Op::kTernary);
}
template <class Op, bool kBgr24>
ONDREL_AVX512 inline void UpTo16(Rgb* d, const std::uint8_t* s, int n, __m512i colour) {
  _mm512_mask_storeu_epi32(d, __mmask16(0xFFFFu >> (16 - n)), ResultUpTo16<Op, kBgr24>(d, s, n, colour));
}

// A row of 4 to 15 colours combined as two vectors of four or eight, the
// second ending at the row's end: both are worked out before either is
// stored, so the pixels they share get the same colours twice. Plain
// loads and stores, which the next pass's loads of the same places take
// straight from the stores, where masked ones would wait for the cache.
template <class Op>
ONDREL_AVX512 inline __m256i Result8(const Rgb* d, const Rgb* s) {
  const __m256i sv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s));
  const __m256i dv = Op::kReadsDestination ? _mm256_loadu_si256(reinterpret_cast<const __m256i*>(d)) : sv;
  return _mm256_ternarylogic_epi32(dv, sv, _mm256_set1_epi32(0xFFFFFF), Op::kTernary);
}
template <class Op>
ONDREL_AVX512 inline __m128i Result4(const Rgb* d, const Rgb* s) {
  const __m128i sv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
  const __m128i dv = Op::kReadsDestination ? _mm_loadu_si128(reinterpret_cast<const __m128i*>(d)) : sv;
  return _mm_ternarylogic_epi32(dv, sv, _mm_set1_epi32(0xFFFFFF), Op::kTernary);
}
template <class Op>
ONDREL_AVX512 inline void ShortRow(Rgb* d, const Rgb* s, int n) {
  if (n >= 8) {
    const __m256i first = Result8<Op>(d, s), second = Result8<Op>(d + n - 8, s + n - 8);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(d), first);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + n - 8), second);
    return;
  }
  const __m128i first = Result4<Op>(d, s), second = Result4<Op>(d + n - 4, s + n - 4);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(d), first);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(d + n - 4), second);
}

// Rows narrower than this go in vectors of eight or four.
constexpr int kShortRow = 16;

template <class Op, bool kBgr24>
ONDREL_AVX512 void RectAvx512(std::uint8_t* d, std::ptrdiff_t ds, const std::uint8_t* s, std::ptrdiff_t ss, int w,
                              int h) {
  const __m512i colour = _mm512_set1_epi32(0xFFFFFF);
  constexpr int kSourceBytes = kBgr24 ? 3 : 4;
  if constexpr (Op::kAgainGivesTheSame && !kBgr24) {
    if (w >= 4 && w < kShortRow) {
      for (int k = 0; k < h; ++k, d += ds, s += ss)
        ShortRow<Op>(reinterpret_cast<Rgb*>(d), reinterpret_cast<const Rgb*>(s), w);
      return;
    }
  }
  if constexpr (Op::kAgainGivesTheSame) {
    if (w >= 16) {
      // Whole vectors, the last ending at the row's end and worked out
      // before the row is written.
      const int end = w - 16;
      for (int k = 0; k < h; ++k, d += ds, s += ss) {
        Rgb* out = reinterpret_cast<Rgb*>(d);
        const __m512i last = ResultUpTo16<Op, kBgr24>(out + end, s + kSourceBytes * end, 16, colour);
        for (int i = 0; i < end; i += 16) {
          FetchAhead(out + i);
          UpTo16<Op, kBgr24>(out + i, s + kSourceBytes * i, 16, colour);
        }
        _mm512_storeu_si512(out + end, last);
      }
      return;
    }
  }
  const int whole = w & ~15, rest = w & 15;
  for (int k = 0; k < h; ++k, d += ds, s += ss) {
    Rgb* out = reinterpret_cast<Rgb*>(d);
    for (int i = 0; i < whole; i += 16) {
      FetchAhead(out + i);
      UpTo16<Op, kBgr24>(out + i, s + kSourceBytes * i, 16, colour);
    }
    if (rest) UpTo16<Op, kBgr24>(out + whole, s + kSourceBytes * whole, rest, colour);
  }
}
#endif

// The loops by instruction set, source format (24-bit, 32-bit) and
// combination, as this processor runs them.
class RectRuns {
 public:
  // The process's one table, filled for the processor it runs on.
  static const RectRuns& Instance();

  RectRuns() {
#ifdef ONDREL_X86
    __builtin_cpu_init();
    ssse3_ = __builtin_cpu_supports("ssse3");
    avx512_ = __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
              __builtin_cpu_supports("avx512vl") && __builtin_cpu_supports("avx512vbmi");
    fastest_ = avx512_ ? Vectors::Avx512 : Vectors::Sse;
#endif
    Put<Copy>(Combination::Copy);
    Put<And>(Combination::And);
    Put<Or>(Combination::Or);
    Put<Xor>(Combination::Xor);
  }
  RectRun Of(Combination c, PixelFormat source, Vectors vectors) const {
    if (source != PixelFormat::Bgr24 && source != PixelFormat::Xrgb32) return nullptr;
    return runs_[int(vectors)][source == PixelFormat::Xrgb32][int(c)];
  }
  Vectors fastest() const { return fastest_; }

 private:
  template <class Op>
  void Put(Combination c) {
    auto at = [&](Vectors v, int format) -> RectRun& { return runs_[int(v)][format][int(c)]; };
    at(Vectors::None, 0) = Bgr24Plain<Op>;
    at(Vectors::None, 1) = Xrgb32Plain<Op>;
#ifdef ONDREL_X86
    if (ssse3_) at(Vectors::Sse, 0) = Bgr24Sse<Op>;
    at(Vectors::Sse, 1) = Xrgb32Sse<Op>;
    if (avx512_) {
      at(Vectors::Avx512, 0) = RectAvx512<Op, true>;
      at(Vectors::Avx512, 1) = RectAvx512<Op, false>;
    }
#endif
  }

  RectRun runs_[3][2][4] = {};
  bool ssse3_ = false, avx512_ = false;
  Vectors fastest_ = Vectors::None;
};

const RectRuns& RectRuns::Instance() {
  static const RectRuns runs;
  return runs;
}

}  // namespace

RowReader ReaderOf(PixelFormat format) {
  static const Readers readers;
  return readers.byFormat[int(format)];
}

void CopyRgb(Rgb* d, const Rgb* s, int n) { Combine<Copy>(d, s, n); }
void AndRgb(Rgb* d, const Rgb* s, int n) { Combine<And>(d, s, n); }
void OrRgb(Rgb* d, const Rgb* s, int n) { Combine<Or>(d, s, n); }
void XorRgb(Rgb* d, const Rgb* s, int n) { Combine<Xor>(d, s, n); }

RectRun RectRunOf(Combination c, PixelFormat source, Vectors vectors) {
  return RectRuns::Instance().Of(c, source, vectors);
}
Vectors FastestVectors() { return RectRuns::Instance().fastest(); }

}  // namespace ce::gdi
