#pragma once
// Takes the path under construction aside for an operation that needs a
// path of its own (fillRect, clipToRect, images, gradients) and puts it back
// afterwards, because on the platform those operations leave it alone.
// Declare it before any cairo_save so that it is put back after the restore,
// in the transformation it was built in.

#include <cairo.h>

namespace platform::graphics {

class SetAsidePath {
 public:
  explicit SetAsidePath(cairo_t* cairo) : cairo_(cairo), path_(cairo_copy_path(cairo)) { cairo_new_path(cairo_); }
  ~SetAsidePath() {
    cairo_new_path(cairo_);
    if (path_->status == CAIRO_STATUS_SUCCESS) {
      cairo_append_path(cairo_, path_);
    }
    cairo_path_destroy(path_);
  }
  SetAsidePath(const SetAsidePath&) = delete;
  SetAsidePath& operator=(const SetAsidePath&) = delete;

 private:
  cairo_t* cairo_;
  cairo_path_t* path_;
};

}  // namespace platform::graphics
