/* Symbol export and namespace macros shared by the C and C++ headers.
 *
 * The library is built with hidden default visibility; exactly the entities
 * marked NUMKIT_API are exported from libnumkit.so. */
#ifndef NUMKIT_EXPORT_H
#define NUMKIT_EXPORT_H

#if defined(__GNUC__)
#define NUMKIT_API __attribute__((visibility("default")))
#define NUMKIT_COLD __attribute__((cold, noinline))
#else
#define NUMKIT_API
#define NUMKIT_COLD
#endif

#ifdef __cplusplus
/* The inline namespace versions the C++ ABI: a future incompatible layout
 * changes it, so old and new binaries cannot be mixed silently. */
#define NUMKIT_BEGIN_NAMESPACE \
  namespace num {              \
  inline namespace v0 {
#define NUMKIT_END_NAMESPACE \
  }                          \
  }
#endif

#endif /* NUMKIT_EXPORT_H */
