// SPDX-License-Identifier: MIT
#ifndef VXTHNK32_H
#define VXTHNK32_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/*
 * Answers a question about a Configuration Manager device node.
 *
 *   selector 0 ... 6   the interrupt number of the node's n-th interrupt
 *                      resource, or 0xFFFF when it has no such resource;
 *   selector 255       the node's status flag word;
 *   selector 511       the node's problem number (0: no problem).
 *
 * Any other selector, and a node that does not exist, give 0xFFFF.
 *
 * The values come from the key HKEY_DYN_DATA\Config Manager\Enum\<node>,
 * <node> being the handle in hexadecimal, of the registry store named by
 * VELNET_REGISTRY: "Interrupts" (one byte per interrupt line, in resource
 * order), "Status" and "Problem" (32-bit numbers, REG_DWORD or 4 bytes of
 * REG_BINARY).
 */
__attribute__((visibility("default"))) uint32_t MyThunk(uint32_t deviceNode, uint32_t selector);

#ifdef __cplusplus
}
#endif

#endif
