// SPDX-License-Identifier: MIT
// Vorbix, copyright 2026 the Vorbix authors: the MIT licence, LICENSE.txt beside this file.
