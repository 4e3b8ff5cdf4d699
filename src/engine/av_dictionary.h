#pragma once
// AVDictionary in an RAII holder. A null holder is an empty dictionary; to hand
// it to a call that takes AVDictionary**, release it into a raw pointer and
// take the result back (see TakeDictionary).
#include <memory>

extern "C" {
#include <libavutil/dict.h>
}

namespace kx {

struct DictionaryDeleter {
  void operator()(AVDictionary* dict) const { av_dict_free(&dict); }
};
using DictionaryPtr = std::unique_ptr<AVDictionary, DictionaryDeleter>;

// Sets key to value in *holder (creating the dictionary when needed).
inline void DictionarySet(DictionaryPtr& holder, const char* key, const char* value) {
  AVDictionary* dict = holder.release();
  av_dict_set(&dict, key, value, 0);
  holder.reset(dict);
}

}  // namespace kx
