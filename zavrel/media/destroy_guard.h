// DestroyGuard: lets an object that calls out (to a listener that may
// delete it) learn afterwards whether it still exists.
//
//   media::DestroyGuard guard(this);
//   m_pListener->OnAnimatePlayOver(id);
//   if (guard.destroyed()) return;      // touch no member from here on
//
// The object's destructor calls DestroyGuard::Destroying(this). Guards nest
// (a listener may start another call out of the same object) and are kept
// per thread. Portable.
#pragma once

namespace media {

class DestroyGuard {
 public:
  explicit DestroyGuard(const void* object) : m_object(object), m_outer(t_innermost) { t_innermost = this; }
  DestroyGuard(const DestroyGuard&) = delete;
  DestroyGuard& operator=(const DestroyGuard&) = delete;
  ~DestroyGuard() { t_innermost = m_outer; }

  bool destroyed() const { return m_destroyed; }

  // Marks every guard of this thread that watches object.
  static void Destroying(const void* object) {
    for (DestroyGuard* guard = t_innermost; guard; guard = guard->m_outer) {
      if (guard->m_object == object) guard->m_destroyed = true;
    }
  }

 private:
  const void* m_object;
  bool m_destroyed = false;
  DestroyGuard* m_outer;
  static inline thread_local DestroyGuard* t_innermost = nullptr;
};

}  // namespace media
