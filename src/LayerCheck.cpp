// SPDX-License-Identifier: GPL-3.0-or-later
// The one source of the layer check libraries: they are made of a core library taken whole,
// and exist only so that the linker resolves every symbol of it against the libraries it
// names.
namespace kalvetro {
int LayerCheck() {
  return 0;
}
}  // namespace kalvetro
